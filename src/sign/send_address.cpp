#include "sign/send_address.h"

#include "store/store_path.h"
#include "store/value_store.h"

#include <algorithm>
#include <filesystem>

namespace {

std::optional<int> remembered(const TValueStore& store, const char* name, int low, int high) {
    const TStoreRecord* record = store.find(name, kSendAddressStoreKey);
    if (!record)
        return std::nullopt;
    const std::string text = record->text();
    if (text.empty())
        return std::nullopt;
    return std::clamp(storedWholeNumber(text), low, high);
}

} // namespace

TRememberedAddress readRememberedAddress(const std::string& storePath) {
    std::error_code ignored;
    if (!std::filesystem::exists(storePath, ignored))
        return {};
    TValueStore store;
    store.load(storePath);
    return {remembered(store, kStoredStartLine, kMinStartLine, kMaxStartLine),
            remembered(store, kStoredLineWidth, kMinLineWidth, kMaxLineWidth)};
}

std::string editorStoreFile(const std::string& binDirectory) {
    return storeFilePath((std::filesystem::path(binDirectory) / "lumavane").string());
}
