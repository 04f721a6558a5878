#include "store/store_path.h"

#include "model/safe_file.h"

#include <cstdlib>
#include <filesystem>

std::string storeFileBeside(const std::string& executablePath) {
    std::filesystem::path path(executablePath);
    path.replace_extension(".oxp");
    return path.string();
}

namespace {

std::string stateDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return state;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state";
}

} // namespace

std::string storeFilePath(const std::string& executablePath) {
    if (const char* own = std::getenv("LUMAVANE_STORE"); own && *own)
        return own;
    const std::string beside = storeFileBeside(executablePath);
    if (directoryTakesNewFiles(beside))
        return beside;
    return stateDirectory() + "/lumavane/" + std::filesystem::path(beside).filename().string();
}
