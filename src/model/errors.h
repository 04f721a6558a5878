#pragma once

#include <stdexcept>
#include <string>

// Failures of the message file layer. Their messages are shown to the user as they are.
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

// The message list cannot take another line: "Unable to insert a line".
class EStringListError : public std::runtime_error {
public:
    EStringListError()
        : std::runtime_error("Unable to insert a line") {}
};
