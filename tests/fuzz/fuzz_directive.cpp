// Directive decoding: the destination never holds a ':' or a tab, and stands in the value
// after its first double quote.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "jobs/jobinfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring value;
    for (size_t i = 0; i + 1 < size; i += 2)
        value += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    IsForwardingDirective(value);
    std::wstring destination = DirectiveDestination(value);
    if (destination.find_first_of(L":\t") != std::wstring::npos)
        abort();
    if (!destination.empty()) {
        size_t quote = value.find(L'"');
        if (quote == std::wstring::npos || value.find(destination, quote) == std::wstring::npos)
            abort();
    }
    return 0;
}
