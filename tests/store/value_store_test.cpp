#include "files/file_errors.h"
#include "store/store_path.h"
#include "store/value_store.h"

#include "support/core/test_env.h"
#include "support/core/unprivileged.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

const std::string kHeader = "03"s + std::string(14, '\0');
const std::string kKey = "AskSend1\\oxPersist1";

// One record as it stands in the file, built field by field.
std::string recordBytes(const std::string& name, const std::string& key, char type,
                        const std::string& data) {
    std::string out = "||++";
    out += name + std::string(24 - name.size(), '\0');
    out += key + std::string(64 - key.size(), '\0');
    out += type;
    const auto size = static_cast<std::uint32_t>(data.size());
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((size >> (8 * i)) & 0xFF);
    out += "||->" + data;
    return out;
}

TEST(ValueStoreTest, WritesTheFileByteForByte) {
    TValueStore store;
    store.putText("SpinEdit1_Value", kKey, "5");
    store.putText("SpinEdit2_Value", kKey, "20");
    const std::string expected = kHeader + recordBytes("SpinEdit1_Value", kKey, 1, "5\0"s) +
                                 recordBytes("SpinEdit2_Value", kKey, 1, "20\0"s) + kHeader;
    EXPECT_EQ(store.serialise(), expected);
    // 16 + 2 * (4 + 24 + 64 + 1 + 4 + 4) + 2 + 3 + 16
    EXPECT_EQ(store.serialise().size(), 16u + 2 * 101 + 5 + 16);

    EXPECT_EQ(TValueStore().serialise(), kHeader + kHeader);
}

TEST(ValueStoreTest, ReadsBackWhatItWrote) {
    TValueStore store;
    store.putText("SpinEdit1_Value", kKey, "99");
    TStoreRecord binary;
    binary.Name = "Font";
    binary.Key = "Other\\Comp";
    binary.Type = kStoreBinary;
    binary.Data = "\x00\xff\x10||->"s;
    TValueStore withBinary;
    withBinary.parse(kHeader + recordBytes("Font", "Other\\Comp", 2, binary.Data) +
                     store.serialise().substr(16));
    ASSERT_EQ(withBinary.records().size(), 2u);
    EXPECT_EQ(withBinary.records()[0].Type, kStoreBinary);
    EXPECT_EQ(withBinary.records()[0].Data, binary.Data);
    EXPECT_EQ(withBinary.records()[1].text(), "99");
    TValueStore again;
    again.parse(withBinary.serialise());
    EXPECT_EQ(again.serialise(), withBinary.serialise());
}

TEST(ValueStoreTest, IgnoresTheBytesAfterAFieldsZero) {
    std::string name = "SpinEdit1_Value"s + '\0' + "garbage";
    name.resize(24, 'x');
    std::string record = recordBytes("SpinEdit1_Value", kKey, 1, "7\0"s);
    record.replace(4, 24, name);
    TValueStore store;
    store.parse(kHeader + record + kHeader);
    ASSERT_NE(store.find("SpinEdit1_Value", kKey), nullptr);
    EXPECT_EQ(store.find("SpinEdit1_Value", kKey)->text(), "7");
}

// Found by fuzzing: a name or key field filled to its end without its zero was read one
// character longer than a save keeps, so the record changed between a load and the next one.
TEST(ValueStoreTest, FieldsWithoutTheirZeroReadAsTheLongestText) {
    const std::string name(24, 'N');
    const std::string key(64, 'K');
    TValueStore store;
    store.parse(kHeader + recordBytes(name, key, 1, "v\0"s) + kHeader);
    ASSERT_EQ(store.records().size(), 1u);
    EXPECT_EQ(store.records()[0].Name, std::string(23, 'N'));
    EXPECT_EQ(store.records()[0].Key, std::string(63, 'K'));
    TValueStore again;
    again.parse(store.serialise());
    ASSERT_EQ(again.records().size(), 1u);
    EXPECT_EQ(again.records()[0].Name, store.records()[0].Name);
    EXPECT_EQ(again.records()[0].Key, store.records()[0].Key);
    EXPECT_EQ(again.serialise(), store.serialise());
}

TEST(ValueStoreTest, FindsNamesAndKeysWhateverTheirCase) {
    TValueStore store;
    store.parse(kHeader + recordBytes("SPINEDIT1_VALUE", "asksend1\\OXPERSIST1", 1, "3\0"s) +
                recordBytes("SpinEdit1_Value", kKey, 1, "4\0"s) + kHeader);
    ASSERT_NE(store.find("SpinEdit1_Value", kKey), nullptr);
    EXPECT_EQ(store.find("SpinEdit1_Value", kKey)->text(), "3") << "the first match counts";
    EXPECT_EQ(store.find("SpinEdit1_Value", "AskSend1\\other"), nullptr);
    // Only A to Z fold: other bytes must match exactly.
    EXPECT_FALSE(sameStoreName("\xC4", "\xE4"));

    store.putText("spinedit1_value", kKey, "8");
    ASSERT_EQ(store.records().size(), 1u) << "both matching records are replaced by one";
    EXPECT_EQ(store.records()[0].Name, "spinedit1_value");
}

TEST(ValueStoreTest, KeepsOtherRecordsInOrderAndPutsOursLast) {
    TValueStore store;
    store.parse(kHeader + recordBytes("SpinEdit1_Value", kKey, 1, "9\0"s) +
                recordBytes("Width", "Form2\\oxPersist1", 1, "12\0"s) +
                recordBytes("SpinEdit1_Value", "Form2\\oxPersist1", 1, "1\0"s) + kHeader);
    store.putText("SpinEdit1_Value", kKey, "5");
    store.putText("SpinEdit2_Value", kKey, "16");
    ASSERT_EQ(store.records().size(), 4u);
    EXPECT_EQ(store.records()[0].Name, "Width");
    EXPECT_EQ(store.records()[1].Key, "Form2\\oxPersist1");
    EXPECT_EQ(store.records()[1].text(), "1");
    EXPECT_EQ(store.records()[2].text(), "5");
    EXPECT_EQ(store.records()[3].text(), "16");
}

TEST(ValueStoreTest, CutsLongNamesAndKeys) {
    TValueStore store;
    store.putText(std::string(30, 'n'), std::string(70, 'k'), "1");
    const std::string bytes = store.serialise();
    EXPECT_EQ(bytes.substr(20, 24), std::string(23, 'n') + '\0');
    EXPECT_EQ(bytes.substr(44, 64), std::string(63, 'k') + '\0');
    EXPECT_NE(store.find(std::string(23, 'n'), std::string(63, 'k')), nullptr);
}

TEST(ValueStoreTest, NormalisesKeys) {
    const struct {
        const char* name;
        std::string key;
        std::string expected;
    } cases[] = {
        {"plain", "AskSend1\\oxPersist1", "AskSend1\\oxPersist1"},
        {"doubled", "AskSend1\\\\oxPersist1", "AskSend1\\oxPersist1"},
        {"quadrupled", "A\\\\\\\\B", "A\\B"},
        {"leading and trailing", "\\A\\B\\", "A\\B"},
        {"only one of each end", "\\\\\\A\\", "A"},
        {"empty", "", ""},
        {"lone backslash", "\\", ""},
        {"too long", std::string(70, 'k'), std::string(63, 'k')},
        {"cut after the ends go", "\\" + std::string(63, 'k') + "\\", std::string(63, 'k')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normaliseStoreKey(c.key), c.expected) << c.name;
}

TEST(ValueStoreTest, ReadsWhatItCanOfBadFiles) {
    const std::string one = recordBytes("SpinEdit1_Value", kKey, 1, "5\0"s);
    const std::string two = recordBytes("SpinEdit2_Value", kKey, 1, "16\0"s);
    const struct {
        const char* name;
        std::string bytes;
        std::size_t records;
    } cases[] = {
        {"empty file", "", 0},
        {"wrong header", "04"s + std::string(14, '\0') + one + kHeader, 0},
        {"header only", kHeader, 0},
        {"short header", "03", 0},
        {"no trailer", kHeader + one + two, 2},
        {"cut in the second record's data", kHeader + one + two.substr(0, two.size() - 1), 1},
        {"cut in the second record's fields", kHeader + one + two.substr(0, 50), 1},
        {"bad data mark", kHeader + one + two.substr(0, 97) + "||-X" + two.substr(101), 1},
        {"size beyond the end",
         kHeader + recordBytes("A", "B", 1, "x").substr(0, 97) + "\xff\xff\xff\x7f||->x", 0},
        {"records after the trailer are not read", kHeader + one + kHeader + two, 1},
    };
    for (const auto& c : cases) {
        TValueStore store;
        store.putText("stale", "stale", "x");
        store.parse(c.bytes);
        EXPECT_EQ(store.records().size(), c.records) << c.name;
    }
}

TEST(ValueStoreTest, LoadsAndSavesFiles) {
    TempDir dir;
    const std::string path = dir.file("sub/editor.oxp");
    TValueStore store;
    store.putText("SpinEdit2_Value", kKey, "20");
    store.save(path);
    EXPECT_EQ(readFileBytes(path), store.serialise());
    TValueStore loaded;
    loaded.load(path);
    EXPECT_EQ(loaded.serialise(), store.serialise());

    EXPECT_THROW(loaded.load(dir.file("missing.oxp")), EFOpenError);

    // A file where the directory should be: the error names the store file.
    writeFileBytes(dir.file("plain"), "x");
    try {
        store.save(dir.file("plain/editor.oxp"));
        ADD_FAILURE() << "saved under a plain file";
    } catch (const EFCreateError& error) {
        EXPECT_NE(std::string(error.what()).find(dir.file("plain/editor.oxp")), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(readFileBytes(dir.file("plain")), "x");
}

TEST(ValueStoreTest, AFailedSaveKeepsTheOldFile) {
    if (rerunUnprivileged())
        return;
    TempDir dir;
    const std::string path = dir.file("editor.oxp");
    writeFileBytes(path, "old");
    // Neither the folder nor the file may be written (a writable file would be written in place).
    ::chmod(path.c_str(), 0444);
    ::chmod(dir.path().c_str(), 0555);
    TValueStore store;
    store.putText("a", "b", "c");
    EXPECT_THROW(store.save(path), EFCreateError);
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(readFileBytes(path), "old");
}

TEST(StorePathTest, ChoosesTheFile) {
    TempDir dir;
    const std::string saved = std::getenv("LUMAVANE_STORE") ? std::getenv("LUMAVANE_STORE") : "";
    unsetenv("LUMAVANE_STORE");
    std::filesystem::create_directories(dir.file("bin"));
    EXPECT_EQ(storeFilePath(dir.file("bin/EDITOR.EXE")), dir.file("bin/EDITOR.oxp"));
    EXPECT_EQ(storeFilePath(dir.file("bin/lumavane")), dir.file("bin/lumavane.oxp"));
    // A directory that cannot be written: the user's state directory.
    const std::string state = std::getenv("XDG_STATE_HOME");
    EXPECT_EQ(storeFilePath(dir.file("nowhere/lumavane")), state + "/lumavane/lumavane.oxp");
    setenv("LUMAVANE_STORE", dir.file("own.oxp").c_str(), 1);
    EXPECT_EQ(storeFilePath(dir.file("bin/lumavane")), dir.file("own.oxp"));
    if (!saved.empty())
        setenv("LUMAVANE_STORE", saved.c_str(), 1);
    else
        unsetenv("LUMAVANE_STORE");
}

} // namespace

TEST(ValueStoreReadTest, AFifoInTheStoresPlaceIsAnErrorNotAHang) {
    TempDir dir;
    const std::string path = dir.file("pipe.oxp");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    TValueStore store;
    EXPECT_THROW(store.load(path), EFOpenError);
}
