#pragma once

#include "files/file_errors.h"

// The store file could not be read or written; the message names the file and the reason.
class EStoreFileError : public EFileError {
public:
    using EFileError::EFileError;
};
