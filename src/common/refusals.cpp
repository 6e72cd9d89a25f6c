#include "common/refusals.h"

#include "common/text.h"

namespace {

std::wstring Hex(unsigned value, int digits)
{
    std::wstring text = L"0x";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += L"0123456789ABCDEF"[value >> shift & 0xF];
    return text;
}

std::wstring AtOffset(size_t offset)
{
    return L" at offset " + DecimalText(static_cast<long long>(offset));
}

}  // namespace

std::wstring NotUtf8Refusal(unsigned byte, size_t offset)
{
    return L"the file holds UTF-8 text, but its byte " + Hex(byte, 2) + AtOffset(offset) +
           L" is not UTF-8: save it as UTF-8 (or wholly in the ANSI code page)";
}

std::wstring LoneSurrogateRefusal(unsigned unit, size_t offset)
{
    return L"the UTF-16 file has a lone surrogate " + Hex(unit, 4) + AtOffset(offset);
}

std::wstring OddUtf16Refusal(size_t offset)
{
    return L"the UTF-16 file ends in half a character" + AtOffset(offset);
}

std::wstring NotInCodePageRefusal(unsigned byte, size_t offset, unsigned codePage)
{
    return L"its byte " + Hex(byte, 2) + AtOffset(offset) + L" is no character in code page " +
           DecimalText(static_cast<long long>(codePage));
}

std::wstring RegLineBreakRefusal(const std::wstring& name)
{
    return L"the registry name \"" + name + L"\" holds a line break, which a .reg file cannot hold";
}
