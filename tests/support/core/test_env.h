#pragma once

#include <string>

// A directory of the test's own, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of a file or folder inside the directory.
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Points HOME, the XDG directories, LUMAVANE_INI and LUMAVANE_STORE into a private directory of
// this test process, so that no test can read or write the user's real settings, store or logs,
// hides the machine's printers, and sets the C locale for messages (LANG=C), so that every text
// is the English one. Every test binary calls it from main() before any test runs.
void setUpPrivateEnvironment();

// Makes the machine's printers invisible to this process and its children: the print system
// is asked at a socket under `dir` where nothing listens. No test can print on paper, and
// tests pass alike with or without printers on the machine.
void hideMachinePrinters(const std::string& dir);

// The private directory made by setUpPrivateEnvironment().
const std::string& privateEnvironmentDir();

// While it lives, no file of this process may grow beyond `bytes` (RLIMIT_FSIZE, with SIGXFSZ
// ignored): a write fails part way, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long oldCurrent_ = 0;
};

std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
