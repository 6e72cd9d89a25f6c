#include "tidy/untranslated.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "common/fileio.h"
#include "common/utf.h"

const wchar_t kUntranslatedTextsFile[] = L"c:\\kelvane\\undef.txt";

namespace {

// One line of the file: its sort key and where its bytes start.
struct Line {
    Line(std::string_view k, size_t at)
        : key(k.data()), keyLength(static_cast<uint32_t>(k.size())), start(static_cast<uint32_t>(at))
    {
    }
    std::string_view Key() const { return {key, keyLength}; }

    const char* key;
    uint32_t keyLength;
    uint32_t start;
};

// The lines' sort keys under the user's locale without regard to case, packed into large
// blocks instead of a string each. Keys compare with memcmp as the texts compare with
// CompareStringEx, and computing one per line costs less than the comparisons of a sort.
class SortKeys {
public:
    std::string_view Of(std::string_view bytes)
    {
        AnsiToWideInto(bytes, text_);
        const int length = bytes.empty() ? -1 : static_cast<int>(text_.size());  // -1: the empty text's key
        size_t room = bytes.size() * 4 + 16;  // enough for ordinary text; asked for when not
        char* out = Reserve(room);
        int n = Map(length, out, room);
        if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            room = static_cast<size_t>(Map(length, nullptr, 0));
            out = Reserve(room);
            n = Map(length, out, room);
        }
        if (n == 0)
            throw std::bad_alloc();  // no key, no order: the file is left alone
        used_ += static_cast<size_t>(n);
        return {out, static_cast<size_t>(n)};
    }

private:
    int Map(int length, char* out, size_t room)
    {
        return LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE,
                             length < 0 ? L"" : text_.data(), length, reinterpret_cast<wchar_t*>(out),
                             static_cast<int>(room), nullptr, nullptr, 0);
    }
    char* Reserve(size_t room)
    {
        if (blocks_.empty() || used_ + room > size_) {
            size_ = std::max(room, kBlockBytes);
            blocks_.emplace_back(new char[size_]);
            used_ = 0;
        }
        return blocks_.back().get() + used_;
    }

    static constexpr size_t kBlockBytes = size_t{8} << 20;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t size_ = 0, used_ = 0;
    std::wstring text_;
};

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Where each line of the text starts and ends: CR LF, a lone CR or a lone LF ends a line; a
// final line break does not start another (empty) line.
template <typename F>
void ForEachLine(std::string_view text, F&& take)
{
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsLineEnd(text[i]))
            continue;
        take(start, i);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        take(start, text.size());
}

std::vector<Line> IndexLines(std::string_view text, SortKeys& keys)
{
    size_t count = 0;
    ForEachLine(text, [&](size_t, size_t) { ++count; });
    std::vector<Line> lines;
    lines.reserve(count);
    ForEachLine(text, [&](size_t start, size_t end) {
        lines.emplace_back(keys.Of(text.substr(start, end - start)), start);
    });
    return lines;
}

uint32_t HashOf(std::string_view key)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : key)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

// Drops each line whose key a line before it has, keeping the file's order: the line read
// first stays. Files that grow by appending hold many repeats, and the sort then has only
// the distinct lines to order.
void DropRepeatedKeys(std::vector<Line>& lines)
{
    size_t capacity = 16;
    while (capacity < lines.size() * 2)
        capacity *= 2;
    const uint32_t kFree = UINT32_MAX;
    std::vector<uint32_t> slots(capacity, kFree);  // positions of kept lines
    size_t kept = 0;
    for (const Line& line : lines) {
        for (size_t slot = HashOf(line.Key()) & (capacity - 1);; slot = (slot + 1) & (capacity - 1)) {
            if (slots[slot] == kFree) {
                slots[slot] = static_cast<uint32_t>(kept);
                lines[kept++] = line;
                break;
            }
            if (lines[slots[slot]].Key() == line.Key())
                break;
        }
    }
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(kept), lines.end());
}

// The lines' own bytes, each ended with CR LF.
std::string JoinLines(std::string_view text, const std::vector<Line>& lines)
{
    auto bytesOf = [&](const Line& l) {
        size_t end = l.start;
        while (end < text.size() && !IsLineEnd(text[end]))
            ++end;
        return text.substr(l.start, end - l.start);
    };
    size_t size = 0;
    for (const Line& l : lines)
        size += bytesOf(l).size() + 2;
    std::string out;
    out.reserve(size);
    for (const Line& l : lines) {
        out += bytesOf(l);
        out += "\r\n";
    }
    return out;
}

std::string SortedUniqueLines(std::string_view text)
{
    text = text.substr(0, text.find('\0'));  // a NUL ends the text
    std::vector<Line> lines;
    {
        SortKeys keys;
        lines = IndexLines(text, keys);
        DropRepeatedKeys(lines);
        std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.Key() < b.Key(); });
    }  // the keys go before the new contents are built
    return JoinLines(text, lines);
}

bool IsLargerThan(const std::wstring& path, size_t limit)
{
    unsigned long long size = 0;
    return FileSizeOf(path, size) && size > limit;
}

}  // namespace

// The file's bytes, the sort keys of its lines and their index are held at once, about four
// times the file for ordinary lines: an eighth of the address space leaves room for that
// beside the program.
size_t UntranslatedTextsLimit()
{
    const unsigned long long floor = 256ull << 20;
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (!GlobalMemoryStatusEx(&memory))
        return static_cast<size_t>(floor);
    return static_cast<size_t>(std::max(floor, memory.ullTotalVirtual / 8));
}

void TidyUntranslatedTexts(const std::wstring& path)
{
    const size_t limit = UntranslatedTextsLimit();
    if (IsLargerThan(path, limit))
        return;
    try {
        bool tooLarge = false;  // it grew since
        const std::string bytes = ReadFileBytes(path, limit, &tooLarge);
        if (!tooLarge)
            ReplaceFileContents(path, SortedUniqueLines(bytes));
    } catch (const std::exception&) {
        // cannot be read, or its lines cannot be held: left alone
    }
}
