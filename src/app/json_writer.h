// A small writer of JSON text: the program writes JSON and never reads it. UTF-8 without a BOM;
// a text comes through exactly (Greek as Greek), with quotes, backslashes, control characters
// and unpaired surrogates escaped, never dropped. Pure.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Appends the text as a JSON string, quotes included. The text is UTF-16 where wchar_t has 16
// bits (Windows), code points where it has 32.
void AppendJsonString(std::string& out, std::wstring_view text);
// The same for a text in ASCII (codes, names).
void AppendJsonString(std::string& out, std::string_view ascii);

// Writes one document as it goes: commas and colons are its business, the caller's is the order.
class JsonWriter {
public:
    JsonWriter& BeginObject() { return Open('{'); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open('['); }
    JsonWriter& EndArray() { return Close(']'); }
    // The next member's name; its value follows.
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::wstring_view text);
    JsonWriter& String(std::string_view ascii);
    JsonWriter& Bool(bool value);
    JsonWriter& Int(long long value);
    JsonWriter& Null();
    // The document so far; whole once every object and array is closed.
    const std::string& Text() const { return out_; }

private:
    JsonWriter& Open(char bracket);
    JsonWriter& Close(char bracket);
    void BeforeValue();

    std::string out_;
    std::vector<bool> hasMembers_;  // per open object or array: something written in it yet
    bool afterKey_ = false;
};
