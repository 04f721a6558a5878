#pragma once

#include <stdexcept>
#include <string>

// A file of the program could not be read or written: a message file, the settings file, the
// store file. Messages name the file and give the reason (base/error_text.h); they are shown to
// the user as they are.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file could not be created or written: "Cannot create file <path>".
class EFCreateError : public EFileError {
public:
    using EFileError::EFileError;
};

// The file could not be opened or read: "Cannot open file <path>".
class EFOpenError : public EFileError {
public:
    using EFileError::EFileError;
};

// A call of the platform's file layer failed: the platform's error number and its text (such as
// "Permission denied"), which the caller's own message gives as the reason.
class EFileSystemError : public std::runtime_error {
public:
    EFileSystemError(int error, const std::string& text, bool missing)
        : std::runtime_error(text)
        , error_(error)
        , missing_(missing) {}
    int error() const { return error_; }
    // No file stands at the path, or a part of the path is no folder.
    bool missing() const { return missing_; }

private:
    int error_;
    bool missing_;
};
