#include "store/store_path.h"

#include "base/state_dir.h"
#include "files/safe_file.h"

#include <cstdlib>
#include <filesystem>

std::string storeFileBeside(const std::string& executablePath) {
    std::filesystem::path path(executablePath);
    path.replace_extension(".oxp");
    return path.string();
}

std::string storeFilePath(const std::string& executablePath) {
    if (const char* own = std::getenv("LUMAVANE_STORE"); own && *own)
        return own;
    const std::string beside = storeFileBeside(executablePath);
    if (directoryTakesNewFiles(beside))
        return beside;
    return programStateDirectory() + "/" + std::filesystem::path(beside).filename().string();
}
