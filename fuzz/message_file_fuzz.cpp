// Message files: splitting file bytes into lines and joining them again.

#include "fuzz_support.h"
#include "model/message_file.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::vector<std::string> lines = splitMessageLines(bytes);
    std::size_t total = 0;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
        total += line.size();
    }
    FUZZ_CHECK(total <= size);

    const std::string joined = joinMessageLines(lines);
    FUZZ_CHECK(lines.empty() == joined.empty());
    FUZZ_CHECK(splitMessageLines(joined) == lines);
    // A file that is already written by the editor reads back the same bytes.
    FUZZ_CHECK(joinMessageLines(splitMessageLines(joined)) == joined);
    return 0;
}
