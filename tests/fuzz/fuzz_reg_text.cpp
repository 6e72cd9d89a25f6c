// The .reg writer: what it writes, a REGEDIT5 reader (written here, apart from the writer) reads
// back to the very keys, names, types and bytes it was given, names and texts with quotes,
// backslashes, line breaks and Greek included; a name that a .reg file cannot hold (a line
// break) is refused, never written wrong.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/reg_text.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

struct RegFile {
    std::vector<std::wstring> deleted;
    std::vector<RegKeyData> keys;
};

// A quoted name or text: backslash escapes the next character. Moves at past the closing quote.
std::optional<std::wstring> ReadQuoted(const std::wstring& line, size_t& at)
{
    if (at >= line.size() || line[at] != L'"')
        return std::nullopt;
    std::wstring text;
    for (++at; at < line.size() && line[at] != L'"'; ++at) {
        if (line[at] == L'\\' && ++at == line.size())
            return std::nullopt;
        text += line[at];
    }
    if (at++ == line.size())
        return std::nullopt;
    return text;
}

std::optional<std::vector<uint8_t>> ReadHex(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    for (size_t at = 0; at < text.size(); at += 3) {
        if (at + 2 > text.size() || (at + 2 < text.size() && text[at + 2] != L','))
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(std::stoul(std::wstring(text, at, 2), nullptr, 16)));
    }
    return bytes;
}

// One value line (hex lists already joined): "name"=data or @=data.
bool ReadValue(const std::wstring& line, RegKeyData& key)
{
    size_t at = 0;
    std::optional<std::wstring> name = line.rfind(L"@=", 0) == 0 ? std::wstring() : ReadQuoted(line, at);
    at += name && name->empty() && line[0] == L'@' ? 1 : 0;
    if (!name || at >= line.size() || line[at++] != L'=')
        return false;
    const std::wstring data = line.substr(at);
    RegValueData value{*name, kRegSz, {}};
    if (data == L"-") {
        key.removedValues.push_back(*name);
        return true;
    }
    if (std::optional<std::wstring> text = ReadQuoted(line, at)) {
        if (at != line.size())
            return false;
        for (wchar_t c : *text + L'\0')
            value.data.insert(value.data.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8 & 0xFF)});
    } else if (data.rfind(L"dword:", 0) == 0 && data.size() == 14) {
        const unsigned long number = std::stoul(data.substr(6), nullptr, 16);
        value = RegDwordValue(*name, static_cast<uint32_t>(number));
    } else if (data.rfind(L"hex", 0) == 0 && data.find(L':') != std::wstring::npos) {
        const size_t colon = data.find(L':');
        value.type = data.rfind(L"hex:", 0) == 0 ? kRegBinary : std::stoul(data.substr(4, colon - 5), nullptr, 16);
        std::optional<std::vector<uint8_t>> bytes = ReadHex(data.substr(colon + 1));
        if (!bytes)
            return false;
        value.data = *bytes;
    } else {
        return false;
    }
    key.values.push_back(value);
    return true;
}

// A value line whose data is a hex list, which may go on over further lines.
bool IsHexLine(const std::wstring& line)
{
    size_t at = 0;
    if (line.rfind(L"@=", 0) == 0)
        at = 1;
    else if (!ReadQuoted(line, at))
        return false;
    return line.compare(at, 4, L"=hex") == 0;
}

std::optional<RegFile> ReadRegFile(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find(L"\r\n", at);
        if (end == std::wstring::npos)
            return std::nullopt;
        std::wstring line = text.substr(at, end - at);
        // A hex list continues after a backslash at the line's end, on a line indented by two.
        if (!lines.empty() && IsHexLine(lines.back()) && lines.back().back() == L'\\') {
            if (line.rfind(L"  ", 0) != 0)
                return std::nullopt;
            lines.back().pop_back();
            lines.back() += line.substr(2);
        } else {
            lines.push_back(line);
        }
    }
    if (lines.size() < 2 || lines[0] != L"Windows Registry Editor Version 5.00" || !lines[1].empty())
        return std::nullopt;
    RegFile file;
    bool inKey = false;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::wstring& line = lines[i];
        if (line.empty()) {
            inKey = false;
        } else if (!inKey && line.rfind(L"[-", 0) == 0 && line.back() == L']') {
            file.deleted.push_back(line.substr(2, line.size() - 3));
        } else if (!inKey && line[0] == L'[' && line.back() == L']') {
            file.keys.push_back({line.substr(1, line.size() - 2), {}, {}});
            inKey = true;
        } else if (!inKey || !ReadValue(line, file.keys.back())) {
            return std::nullopt;
        }
    }
    return file;
}

std::wstring Text(FuzzedDataProvider& in)
{
    static const wchar_t kCharacters[] = L"a\"\\\r\n@=[]- ,:Ωαβ\x0386";
    std::wstring text;
    for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 12); n > 0; --n)
        text += in.ConsumeBool() ? kCharacters[in.ConsumeIntegralInRange<size_t>(0, std::size(kCharacters) - 2)]
                                 : static_cast<wchar_t>(in.ConsumeIntegral<uint16_t>());
    return text;
}

RegValueData Value(FuzzedDataProvider& in)
{
    static const uint32_t kTypes[] = {kRegSz, kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegMultiSz, kRegQword};
    std::wstring name = Text(in);
    if (in.ConsumeBool())
        return RegTextValue(name, Text(in));
    const uint32_t type = in.ConsumeBool() ? kTypes[in.ConsumeIntegralInRange<size_t>(0, 6)] : in.ConsumeIntegral<uint32_t>();
    return {name, type, in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 64))};
}

bool HasLineBreak(const std::wstring& name)
{
    return name.find_first_of(L"\r\n") != std::wstring::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    RegFile written;
    bool lineBreak = false;
    for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 2); n > 0; --n)
        written.deleted.push_back(L"HKEY_LOCAL_MACHINE\\" + Text(in));
    for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 3); n > 0; --n) {
        RegKeyData key{L"HKEY_LOCAL_MACHINE\\" + Text(in), {}, {}};
        for (size_t k = in.ConsumeIntegralInRange<size_t>(0, 2); k > 0; --k)
            key.removedValues.push_back(Text(in));
        for (size_t k = in.ConsumeIntegralInRange<size_t>(0, 4); k > 0; --k)
            key.values.push_back(Value(in));
        written.keys.push_back(key);
    }
    for (const std::wstring& path : written.deleted)
        lineBreak = lineBreak || HasLineBreak(path);
    for (const RegKeyData& key : written.keys) {
        lineBreak = lineBreak || HasLineBreak(key.path);
        for (const std::wstring& name : key.removedValues)
            lineBreak = lineBreak || HasLineBreak(name);
        for (const RegValueData& value : key.values)
            lineBreak = lineBreak || HasLineBreak(value.name);
    }
    std::wstring text;
    try {
        text = RegFileText(written.deleted, written.keys);
    } catch (const AppError&) {
        Check(lineBreak);
        return 0;
    }
    Check(!lineBreak);
    const std::optional<RegFile> read = ReadRegFile(text);
    Check(read && read->deleted == written.deleted && read->keys == written.keys);
    return 0;
}
