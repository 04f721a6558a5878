// The settings file's key=value format: reading from any file bytes, and writing one value.
//
// Input: section, key and value (each ended by a zero byte), then the file's bytes.

#include "base/ascii_case.h"
#include "fuzz_support.h"
#include "settings/profile.h"

#include <cstring>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// One private directory for the whole run, removed at exit.
const std::string& workDir() {
    static const std::string dir = [] {
        std::string tmpl = "/tmp/lumavane-profile-fuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data()))
            std::abort();
        return tmpl;
    }();
    static const struct Cleanup {
        ~Cleanup() {
            ::unlink((dir + "/settings.ini").c_str());
            ::rmdir(dir.c_str());
        }
    } cleanup;
    return dir;
}

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool breaksLine(const std::string& s) {
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Names worth asking for: every bracketed name and every name before an '=' in the file, a
// rough scan (any name is a fair question), plus the input's own.
std::vector<std::pair<std::string, std::string>>
probes(const std::string& file, const std::string& section, const std::string& key) {
    std::vector<std::string> sections{section, "Comm"};
    std::vector<std::string> keys{key, "Port"};
    std::size_t pos = 0;
    while (pos < file.size() && sections.size() + keys.size() < 24) {
        std::size_t end = file.find('\n', pos);
        if (end == std::string::npos)
            end = file.size();
        const std::string line = trimmed(file.substr(pos, end - pos));
        if (!line.empty() && line[0] == '[')
            sections.push_back(trimmed(line.substr(1, line.find(']') - 1)));
        else if (line.find('=') != std::string::npos)
            keys.push_back(trimmed(line.substr(0, line.find('='))));
        pos = end + 1;
    }
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& s : sections)
        for (const std::string& k : keys)
            out.emplace_back(s, k);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::string section = input.field();
    const std::string key = input.field();
    const std::string value = input.field();
    const std::string file(input.rest());

    const std::string path = workDir() + "/settings.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(file.data(), static_cast<std::streamsize>(file.size()));
        FUZZ_CHECK(out.good());
    }

    // Reading never fails on any bytes, and never returns more than the longest value.
    const auto checks = probes(file, section, key);
    std::vector<std::string> before;
    for (const auto& [s, k] : checks) {
        before.push_back(readProfileString(path, s, k, "\x01missing"));
        FUZZ_CHECK(before.back().size() <= kMaxProfileValue);
        (void)readProfileInt(path, s, k, -1);
    }

    // A value that the format can hold comes back as written, and every other value stays.
    const bool validSection = !section.empty() && !breaksLine(section) &&
                              section.find(']') == std::string::npos && trimmed(section) == section;
    const bool validKey = !key.empty() && !breaksLine(key) && key.find('=') == std::string::npos &&
                          trimmed(key) == key && key[0] != '[' && key[0] != ';' && key[0] != '#';
    const bool validValue =
        !breaksLine(value) && trimmed(value) == value && value.size() <= kMaxProfileValue;
    try {
        writeProfileString(path, section, key, value);
    } catch (const EFCreateError&) {
        FUZZ_CHECK(!(validSection && validKey && validValue));
        return 0;
    }
    FUZZ_CHECK(validSection && validKey && !breaksLine(value));
    if (!validValue)
        return 0;
    FUZZ_CHECK(readProfileString(path, section, key, "\x01missing") == value);
    for (std::size_t i = 0; i < checks.size(); ++i) {
        const auto& [s, k] = checks[i];
        if (sameIgnoringAsciiCase(s, section) && sameIgnoringAsciiCase(k, key))
            continue;
        FUZZ_CHECK(readProfileString(path, s, k, "\x01missing") == before[i]);
    }
    return 0;
}
