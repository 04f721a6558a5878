#pragma once

#include <string>

// The store file of the program whose executable is at `executablePath`:
// - the path in the environment variable LUMAVANE_STORE when it is set (tests point it into a
//   directory of their own);
// - else the executable's path with its extension replaced by ".oxp", when new files can be
//   made in the executable's directory;
// - else <executable name>.oxp in the program's state directory (base/state_dir.h:
//   $XDG_STATE_HOME/lumavane, ~/.local/state/lumavane without XDG_STATE_HOME).
// The same file is read at start-up and written at the end of the run.
std::string storeFilePath(const std::string& executablePath);

// `path` with the extension of its file name replaced by ".oxp" (added when it has none).
std::string storeFileBeside(const std::string& executablePath);
