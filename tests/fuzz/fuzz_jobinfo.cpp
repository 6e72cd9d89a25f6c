// Job-information bytes: the scanner's answer must not depend on how the bytes arrive,
// must stay within its cap and never span a line break.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "jobs/jobinfo.h"

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
    if (scanner.Value() != whole)
        abort();
    if (whole.size() > EntryScanner::MaxValueBytes)
        abort();
    if (whole.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        abort();
    return 0;
}
