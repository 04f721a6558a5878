#pragma once

#include <optional>
#include <string>

// Where a message goes on the sign: the sign line of its first block and the width of a sign
// line, which centring uses. The Select Address dialog asks for them at every send and remembers
// them between runs in the editor's store file; the command-line sender reads them from there.

constexpr int kMinStartLine = 0;
constexpr int kMaxStartLine = 99;
constexpr int kDefaultStartLine = 1;
constexpr int kMinLineWidth = 1;
constexpr int kMaxLineWidth = 999;
constexpr int kDefaultLineWidth = 20;

// The store's record key and names of the two values (the dialog "AskSend1", its store
// "oxPersist1", its fields "SpinEdit1" and "SpinEdit2").
constexpr const char* kSendAddressStoreKey = "AskSend1\\oxPersist1";
constexpr const char* kStoredStartLine = "SpinEdit1_Value";
constexpr const char* kStoredLineWidth = "SpinEdit2_Value";

// The values that the store file at `storePath` keeps, each as the dialog would show it: a text
// that is no number counts as 0, and the number is brought within the field's bounds. A value
// that the file does not hold (or holds empty) stays unset, as does every value when there is no
// file. Throws EFOpenError when the file exists but cannot be read. The file is only read.
struct TRememberedAddress {
    std::optional<int> start;
    std::optional<int> width;
};
TRememberedAddress readRememberedAddress(const std::string& storePath);

// The store file of the editor "lumavane" installed in `binDirectory` (the folder of the
// command-line sender): found by the editor's own rule (store/store_path.h).
std::string editorStoreFile(const std::string& binDirectory);
