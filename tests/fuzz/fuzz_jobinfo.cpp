// Job-information bytes: the scanner's answer must not depend on how the bytes arrive, must be
// what a plain reading of the text gives (cut at its NUL, split into lines, the first line whose
// name before its first "=" is ToDoStr in any letter case), stay within its cap and never span a
// line break.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "jobs/jobinfo.h"

namespace {

bool IsToDoStr(std::string_view name)
{
    static constexpr std::string_view kName = "todostr";
    if (name.size() != kName.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if ((name[i] >= 'A' && name[i] <= 'Z' ? name[i] - 'A' + 'a' : name[i]) != kName[i])
            return false;
    return true;
}

// The file read the plain way: whole text, then lines, then entries.
std::string PlainReading(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        std::string_view line = bytes.substr(start, end == std::string_view::npos ? end : end - start);
        size_t equals = line.find('=');
        if (equals != std::string_view::npos && IsToDoStr(line.substr(0, equals)))
            return std::string(line.substr(equals + 1, EntryScanner::MaxValueBytes));
        if (end == std::string_view::npos)
            break;
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the piece size, the rest is the file.
    size_t piece = 1 + data[0] % 97;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string whole = FindToDoStr(bytes);
    EntryScanner scanner("ToDoStr");
    for (size_t i = 0; i < bytes.size(); i += piece)
        if (scanner.Feed(bytes.substr(i, piece)))
            break;
    if (scanner.Value() != whole || whole != PlainReading(bytes))
        abort();
    if (whole.size() > EntryScanner::MaxValueBytes)
        abort();
    if (whole.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        abort();
    return 0;
}
