#include "app/json_writer.h"

#include "common/utf.h"

namespace {

const char kHex[] = "0123456789abcdef";

void AppendEscape(std::string& out, unsigned unit)
{
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 0xF];
}

// A character that is no surrogate: escaped where JSON needs it, as UTF-8 otherwise.
void AppendCharacter(std::string& out, char32_t c)
{
    switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    if (c < 0x20)
        AppendEscape(out, c);
    else
        AppendUtf8(out, c);
}

}  // namespace

void AppendJsonString(std::string& out, std::wstring_view text)
{
    out += '"';
    for (size_t i = 0, length = 0; i < text.size(); i += length) {
        const char32_t c = CodePointAt(text, i, length);
        if (c > 0x10FFFF)
            AppendUtf8(out, 0xFFFD);  // no code point at all (a 32-bit wchar_t only)
        else if (IsSurrogate(c))
            AppendEscape(out, c);  // an unpaired surrogate has no UTF-8: escaped, as JSON allows
        else
            AppendCharacter(out, c);
    }
    out += '"';
}

void AppendJsonString(std::string& out, std::string_view ascii)
{
    out += '"';
    for (char c : ascii)
        AppendCharacter(out, static_cast<unsigned char>(c));
    out += '"';
}

JsonWriter& JsonWriter::Key(std::string_view name)
{
    BeforeValue();
    AppendJsonString(out_, name);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

void JsonWriter::BeforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasMembers_.empty()) {
        if (hasMembers_.back())
            out_ += ',';
        hasMembers_.back() = true;
    }
}

JsonWriter& JsonWriter::Open(char bracket)
{
    BeforeValue();
    out_ += bracket;
    hasMembers_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket)
{
    out_ += bracket;
    hasMembers_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::String(std::wstring_view text)
{
    BeforeValue();
    AppendJsonString(out_, text);
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view ascii)
{
    BeforeValue();
    AppendJsonString(out_, ascii);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Int(long long value)
{
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    out_ += "null";
    return *this;
}
