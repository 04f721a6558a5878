#include "files/whole_file.h"

#include "base/error_text.h"
#include "base/ui_text.h"
#include "files/file_errors.h"
#include "files/file_platform.h"

TReadResult readRegularFile(const std::string& path, std::string& data, std::string& reason,
                            TFileStatus* readStatus) {
    TFileHandle file = 0;
    try {
        file = fileOpenForRead(path);
    } catch (const EFileSystemError& error) {
        reason = error.what();
        return error.missing() ? TReadResult::Missing : TReadResult::Failed;
    }
    try {
        const TFileStatus status = fileStatusOf(file);
        if (status.kind == TFileKind::Directory)
            fileFail(TFileFault::IsDirectory);
        if (status.kind != TFileKind::Regular) {
            reason = uiText("Files", "Not a regular file");
            fileCloseQuietly(file);
            return TReadResult::Failed;
        }
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(status.size));
        char chunk[65536];
        while (const std::size_t n = fileRead(file, chunk, sizeof chunk))
            bytes.append(chunk, n);
        fileCloseQuietly(file);
        data = std::move(bytes);
        if (readStatus)
            *readStatus = status;
        return TReadResult::Ok;
    } catch (const EFileSystemError& error) {
        reason = error.what();
        fileCloseQuietly(file);
        return TReadResult::Failed;
    }
}

std::optional<std::string> readFileIfPresent(const std::string& path) {
    std::string data;
    std::string reason;
    switch (readRegularFile(path, data, reason)) {
    case TReadResult::Missing:
        return std::nullopt;
    case TReadResult::Failed:
        throw EFOpenError(
            failureText(fillIn(uiText("Files", "Cannot open file %1"), {path}), reason));
    case TReadResult::Ok:
        break;
    }
    return data;
}
