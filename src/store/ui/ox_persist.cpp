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
    if (!std::filesystem::exists(path, ignored))
        return;
    TValueStore store;
    store.load(path);
    const std::string key = RecordKey();
    for (const Item& item : items_) {
        const TStoreRecord* record = store.find(item.storedName, key);
        if (!record || !item.field)
            continue;
        const std::string text = record->text();
        if (!text.empty())
            item.field->setValue(storedWholeNumber(text));
    }
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
}

void TOxPersist::StoreOnDestroy() {
    if (stored_)
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
