#pragma once

#include <string>
#include <string_view>

// How a file name is shown and typed. Names are bytes (files/file_names.h); one that is not
// UTF-8 (`caf\xE9.lsm` from an old archive) is shown with each of its other bytes read in the
// system's character set, Windows-1252, as such names were mostly written: "café.lsm". The
// user can type it as shown, and resolveReadablePath finds the file.

// The name as shown to the user, in UTF-8.
std::string readableFileName(std::string_view bytes);

// The file that `path` means when it was typed as names are shown: each part of the path that
// does not exist as it stands is looked up among the names of its folder that read the same.
// `path` as it stands when nothing, or more than one name, reads so.
std::string resolveReadablePath(const std::string& path);
