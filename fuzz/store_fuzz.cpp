// The remembered-values store file: reading any bytes, and saving what was read.

#include "fuzz_support.h"
#include "store/value_store.h"

namespace {

bool sameRecords(const TValueStore& a, const TValueStore& b) {
    if (a.records().size() != b.records().size())
        return false;
    for (std::size_t i = 0; i < a.records().size(); ++i) {
        const TStoreRecord& x = a.records()[i];
        const TStoreRecord& y = b.records()[i];
        if (x.Name != y.Name || x.Key != y.Key || x.Type != y.Type || x.Data != y.Data)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TValueStore loaded;
    loaded.parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const TStoreRecord& record : loaded.records()) {
        FUZZ_CHECK(record.Name.size() <= kStoreNameLength);
        FUZZ_CHECK(record.Key.size() <= kStoreKeyLength);
        FUZZ_CHECK(record.Data.size() <= size);
    }

    // What was read is saved whole and reads back the same; saving again gives the same bytes.
    const std::string saved = loaded.serialise();
    TValueStore reloaded;
    reloaded.parse(saved);
    FUZZ_CHECK(sameRecords(loaded, reloaded));
    FUZZ_CHECK(reloaded.serialise() == saved);

    // A value put into it is found again, and the rest is kept.
    TValueStore changed = reloaded;
    changed.putText("fuzz", "key", "text");
    const TStoreRecord* found = changed.find("FUZZ", "KEY");
    FUZZ_CHECK(found && found->text() == "text");
    return 0;
}
