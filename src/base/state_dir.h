#pragma once

#include <string>

// The program's own folder for the files that it keeps between runs for this user (the error
// log, the remembered values of an installed editor): $XDG_STATE_HOME/lumavane when
// XDG_STATE_HOME is an absolute path, else $HOME/.local/state/lumavane. Nothing is created.
std::string programStateDirectory();
