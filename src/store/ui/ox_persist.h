#pragma once

#include <QObject>
#include <QPointer>
#include <QSpinBox>

#include <exception>
#include <functional>
#include <string>
#include <vector>

// Remembers the values of spin fields of its owner dialog from one run to the next in the store
// file (store/store_path.h). Created with the owner's controls at their initial values, it
// restores them once the event loop runs (a posted call, so after every window of the program
// exists); the owner calls StoreOnDestroy() from its destructor. The records are kept under the
// key "<owner name>\<own name>", one text record per entry with the field's decimal value.
class TOxPersist : public QObject {
    Q_OBJECT
public:
    // `owner` is the dialog whose name makes the first half of the key; it owns the component.
    explicit TOxPersist(QWidget* owner);

    // Adds an entry: the value of `field` under `storedName`. Entries are kept in order.
    void AddItem(QSpinBox* field, const std::string& storedName);

    // The store file and the record key in use.
    std::string StoreFileName() const;
    std::string RecordKey() const;

    // Sets each entry's field from its record, when the store file holds one with a non-empty
    // text (a text that is no number counts as 0; the field keeps the value within its bounds).
    // Throws EFOpenError when the file exists and cannot be read.
    void Restore();
    // Writes every entry's current value into the store file, keeping the records of other
    // names and keys. Throws EFCreateError; the file stays as it was then.
    void Store();
    // Store() when the owner's values are confirmed (OK), so that they count at once for other
    // programs (lumavane-send) and outlive a crash. A failure is shown once a run (the error
    // report), then only goes to OnError.
    void StoreConfirmed();
    // Store() for the owner's destructor: a failure goes to OnError instead of escaping. Values
    // left as they were restored or stored are not written again when the file holds records
    // for them, so that the values that another editor stored meanwhile are kept.
    void StoreOnDestroy();

    // Told the failure of a store made at destruction. Without it the failure is only logged.
    std::function<void(const std::exception&)> OnError;

private:
    struct Item {
        QPointer<QSpinBox> field;
        std::string storedName;
    };
    std::vector<Item> items_;
    bool stored_ = false;
    bool confirmFailureTold_ = false;
    // The values that the store file holds as this component last read or wrote them (the
    // fields' values where it held none); empty before the restore.
    std::vector<int> synced_;
    std::vector<int> CurrentValues() const;
    // Whether the store file holds a record for every entry.
    bool FileHoldsEntries() const;
};
