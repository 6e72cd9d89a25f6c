#include "common/reg_text.h"

#include <string_view>

#include "common/errors.h"
#include "common/refusals.h"
#include "common/text.h"
#include "common/utf.h"

namespace {

const size_t kHexLineWidth = 79;  // the "\" that continues a line goes in column 80

std::vector<uint8_t> Utf16WithNul(const std::wstring& text)
{
    const std::string bytes = Utf16LeBytes(text) + std::string(2, '\0');
    return {bytes.begin(), bytes.end()};
}

// The text of REG_SZ data that can be written between quotes and read back byte for byte, or
// false: the data must be whole UTF-16 units ending in the one NUL, without CR or LF.
bool QuotableText(const std::vector<uint8_t>& data, std::wstring& text)
{
    if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 2] != 0 || data.back() != 0)
        return false;
    text.clear();
    for (size_t i = 0; i + 2 < data.size(); i += 2) {
        char32_t unit = data[i] | (data[i + 1] << 8);
        if (unit == 0 || unit == L'\r' || unit == L'\n')
            return false;
        text.push_back(static_cast<wchar_t>(unit));
    }
    return true;
}

std::wstring Quoted(const std::wstring& text)
{
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            quoted += L'\\';
        quoted += c;
    }
    return quoted + L'"';
}

// A .reg file is read line by line: a key or value name with a line break cannot be written so
// that it reads back, and the file is refused rather than written wrong.
const std::wstring& OnOneLine(const std::wstring& name)
{
    if (name.find_first_of(L"\r\n") != std::wstring::npos)
        throw AppError(RegLineBreakRefusal(name));
    return name;
}

std::wstring NameText(const std::wstring& name)
{
    return name.empty() ? L"@" : Quoted(OnOneLine(name));
}

std::wstring HexDigits(uint32_t value, int width)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0 || static_cast<int>(text.size()) < width);
    return text;
}

// "hex:" (binary) or "hex(N):" and the bytes, continued on indented lines when too long.
std::wstring HexList(uint32_t type, const std::vector<uint8_t>& data, size_t column)
{
    std::wstring text = type == kRegBinary ? L"hex:" : L"hex(" + HexDigits(type, 1) + L"):";
    size_t lineLength = column + text.size();
    bool lineHasBytes = false;
    for (size_t i = 0; i < data.size(); ++i) {
        std::wstring item = HexDigits(data[i], 2) + (i + 1 < data.size() ? L"," : L"");
        if (lineHasBytes && lineLength + item.size() > kHexLineWidth) {
            text += L"\\\r\n  ";
            lineLength = 2;
        }
        text += item;
        lineLength += item.size();
        lineHasBytes = true;
    }
    return text;
}

std::wstring ValueLine(const RegValueData& value)
{
    std::wstring line = NameText(value.name) + L"=";
    std::wstring text;
    if (value.type == kRegSz && QuotableText(value.data, text))
        return line + Quoted(text);
    if (value.type == kRegDword && value.data.size() == 4) {
        uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                          (static_cast<uint32_t>(value.data[3]) << 24);
        return line + L"dword:" + HexDigits(number, 8);
    }
    return line + HexList(value.type, value.data, line.size());
}

}  // namespace

bool operator==(const RegValueData& a, const RegValueData& b)
{
    return a.name == b.name && a.type == b.type && a.data == b.data;
}

bool operator==(const RegKeyData& a, const RegKeyData& b)
{
    return a.path == b.path && a.removedValues == b.removedValues && a.values == b.values;
}

RegValueData RegTextValue(const std::wstring& name, const std::wstring& text)
{
    return {name, kRegSz, Utf16WithNul(text)};
}

RegValueData RegDwordValue(const std::wstring& name, uint32_t value)
{
    std::vector<uint8_t> bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    return {name, kRegDword, bytes};
}

std::wstring RegFileText(const std::vector<std::wstring>& deletedKeys, const std::vector<RegKeyData>& keys)
{
    std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const std::wstring& path : deletedKeys)
        text += L"[-" + OnOneLine(path) + L"]\r\n\r\n";
    for (const RegKeyData& key : keys) {
        text += L"[" + OnOneLine(key.path) + L"]\r\n";
        for (const std::wstring& name : key.removedValues)
            text += NameText(name) + L"=-\r\n";
        for (const RegValueData& value : key.values)
            text += ValueLine(value) + L"\r\n";
        text += L"\r\n";
    }
    return text;
}

std::wstring RegTypeName(uint32_t type)
{
    switch (type) {
    case kRegSz:
        return L"REG_SZ";
    case kRegExpandSz:
        return L"REG_EXPAND_SZ";
    case kRegBinary:
        return L"REG_BINARY";
    case kRegDword:
        return L"REG_DWORD";
    case kRegMultiSz:
        return L"REG_MULTI_SZ";
    case kRegQword:
        return L"REG_QWORD";
    default:
        return L"type " + DecimalText(static_cast<long>(type));
    }
}

std::optional<std::wstring> RegTextOf(const RegValueData& value)
{
    if (value.type != kRegSz && value.type != kRegExpandSz)
        return std::nullopt;
    std::wstring text = WideOfUtf16(
        std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()), false);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

std::optional<uint32_t> RegDwordOf(const RegValueData& value)
{
    if (value.type != kRegDword || value.data.size() != 4)
        return std::nullopt;
    return value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<uint32_t>(value.data[3]) << 24;
}

const RegKeyData* FindRegKey(const std::vector<RegKeyData>& tree, const std::wstring& path)
{
    for (const RegKeyData& key : tree)
        if (EqualsAsciiNoCase(key.path, path))
            return &key;
    return nullptr;
}

const RegValueData* FindRegValue(const RegKeyData& key, const std::wstring& name)
{
    for (const RegValueData& value : key.values)
        if (EqualsAsciiNoCase(value.name, name))
            return &value;
    return nullptr;
}

bool IsRegKeyBelow(const std::wstring& path, const std::wstring& top, bool orTop)
{
    if (path.size() == top.size())
        return orTop && EqualsAsciiNoCase(path, top);
    return path.size() > top.size() && path[top.size()] == L'\\' &&
           EqualsAsciiNoCase(std::wstring_view(path).substr(0, top.size()), top);
}

std::vector<const RegKeyData*> RegChildren(const std::vector<RegKeyData>& tree, const std::wstring& path)
{
    std::vector<const RegKeyData*> children;
    for (const RegKeyData& key : tree)
        if (key.path.size() > path.size() + 1 && EqualsAsciiNoCase(key.path.substr(0, path.size()), path) &&
            key.path[path.size()] == L'\\' && key.path.find(L'\\', path.size() + 1) == std::wstring::npos)
            children.push_back(&key);
    return children;
}
