#pragma once

#include <stdexcept>
#include <string>

// The store file could not be read or written; the message names the file and the reason.
class EStoreFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
