#include "store/ui/ox_persist.h"

#include "store/store_path.h"
#include "store/value_store.h"
#include "widgets/run_command.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QWidget>

#include <filesystem>

TOxPersist::TOxPersist(QWidget* owner)
    : QObject(owner) {
    setObjectName(QStringLiteral("oxPersist1"));
    // Runs when the event loop takes its posted events: after start-up, before the user can act.
    // A store file that cannot be read is reported then.
    QMetaObject::invokeMethod(
        this, [this] { runCommand([this] { Restore(); }); }, Qt::QueuedConnection);
}

void TOxPersist::AddItem(QSpinBox* field, const std::string& storedName) {
    items_.push_back(Item{field, storedName});
}

std::string TOxPersist::StoreFileName() const {
    const QByteArray exe = QFile::encodeName(QCoreApplication::applicationFilePath());
    return storeFilePath(exe.toStdString());
}

std::string TOxPersist::RecordKey() const {
    const QString owner = parent() ? parent()->objectName() : QString();
    return normaliseStoreKey((owner + "\\" + objectName()).toStdString());
}

void TOxPersist::Restore() {
    const std::string path = StoreFileName();
    std::error_code ignored;
    synced_ = CurrentValues();
    if (!std::filesystem::exists(path, ignored))
        return;
    TValueStore store;
    store.load(path);
    const std::string key = RecordKey();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        const TStoreRecord* record = store.find(item.storedName, key);
        if (!record || !item.field)
            continue;
        const std::string text = record->text();
        if (text.empty())
            continue;
        // As the file holds it: a value that the field brings within its bounds differs.
        synced_[i] = storedWholeNumber(text);
        item.field->setValue(synced_[i]);
    }
}

bool TOxPersist::FileHoldsEntries() const {
    TValueStore store;
    try {
        store.load(StoreFileName());
    } catch (const std::exception&) {
        return false;
    }
    const std::string key = RecordKey();
    for (const Item& item : items_) {
        if (!store.find(item.storedName, key))
            return false;
    }
    return true;
}

std::vector<int> TOxPersist::CurrentValues() const {
    std::vector<int> values;
    for (const Item& item : items_)
        values.push_back(item.field ? item.field->value() : 0);
    return values;
}

void TOxPersist::Store() {
    const std::string path = StoreFileName();
    TValueStore store;
    std::error_code ignored;
    // Records of other names and keys come from the old file; one that cannot be read is left
    // alone rather than replaced without them.
    if (std::filesystem::exists(path, ignored))
        store.load(path);
    const std::string key = RecordKey();
    for (const Item& item : items_) {
        if (!item.field)
            continue;
        store.putText(item.storedName, key, std::to_string(item.field->value()));
    }
    store.save(path);
    synced_ = CurrentValues();
}

void TOxPersist::StoreConfirmed() {
    try {
        Store();
    } catch (const std::exception& error) {
        if (!confirmFailureTold_) {
            confirmFailureTold_ = true;
            if (reportCommandError(std::current_exception()))
                return;
        }
        if (OnError)
            OnError(error);
    }
}

void TOxPersist::StoreOnDestroy() {
    if (stored_ || (CurrentValues() == synced_ && FileHoldsEntries()))
        return;
    stored_ = true;
    try {
        Store();
    } catch (const std::exception& error) {
        if (OnError)
            OnError(error);
        else
            qWarning("%s", error.what());
    }
}
