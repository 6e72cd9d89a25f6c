#include "jobinfo.h"

#include "common/paths.h"
#include "common/text.h"

std::wstring JobInfoFileName(std::wstring_view printFilePath)
{
    const size_t keep =
        printFilePath.size() >= kPrintFileSuffixLength ? printFilePath.size() - kPrintFileSuffixLength : 0;
    return std::wstring(printFilePath.substr(0, keep)) + std::wstring(kJobInfoSuffix);
}

bool IsForwardingDirective(std::wstring_view value)
{
    return value.size() >= 8 && EqualsAsciiNoCase(value.substr(0, 8), L"FWDVORLA");
}

// Takes the next token whose delimiters are delims, starting at pos; false when the value ends
// before the token starts.
static bool NextToken(std::wstring_view value, size_t& pos, std::wstring_view delims, std::wstring_view& token)
{
    while (pos < value.size() && delims.find(value[pos]) != std::wstring_view::npos)
        ++pos;
    if (pos >= value.size())
        return false;
    size_t end = pos;
    while (end < value.size() && delims.find(value[end]) == std::wstring_view::npos)
        ++end;
    token = value.substr(pos, end - pos);
    pos = end < value.size() ? end + 1 : end;
    return true;
}

std::wstring DirectiveDestination(std::wstring_view value)
{
    static constexpr std::wstring_view kDelims[4] = {L"\"", L":", L":", L":\t"};
    size_t pos = 0;
    std::wstring_view token;
    for (std::wstring_view delims : kDelims)
        if (!NextToken(value, pos, delims, token))
            return {};
    return std::wstring(token);
}

std::wstring CopyDirection(std::wstring_view destination)
{
    return std::wstring(destination) + L"_COPY";
}

EntryScanner::EntryScanner(std::string_view name) : name_(name) {}

static char FoldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EntryScanner::Feed(std::string_view bytes)
{
    for (char c : bytes) {
        if (state_ == State::Done)
            return true;
        if (c == '\0') {  // the text ends here
            state_ = State::Done;
            return true;
        }
        if (state_ == State::AfterCr) {
            state_ = State::LineStart;
            if (c == '\n')
                continue;
        }
        if (state_ == State::LineStart) {
            state_ = State::Name;
            matched_ = 0;
            nameOk_ = true;
        }
        bool lineEnd = c == '\r' || c == '\n';
        switch (state_) {
        case State::Name:
            if (lineEnd)
                break;
            if (c == '=') {
                if (nameOk_ && matched_ == name_.size()) {
                    state_ = State::Value;
                    continue;
                }
                state_ = State::SkipLine;
                continue;
            }
            if (nameOk_ && matched_ < name_.size() && FoldAscii(c) == FoldAscii(name_[matched_]))
                ++matched_;
            else
                nameOk_ = false;
            continue;
        case State::Value:
            if (lineEnd) {
                state_ = State::Done;
                return true;
            }
            value_ += c;
            if (value_.size() == MaxValueBytes) {
                state_ = State::Done;
                return true;
            }
            continue;
        case State::SkipLine:
            if (lineEnd)
                break;
            continue;
        default:
            break;
        }
        // A line ends here.
        state_ = c == '\r' ? State::AfterCr : State::LineStart;
    }
    return state_ == State::Done;
}

std::string FindToDoStr(std::string_view bytes)
{
    EntryScanner scanner("ToDoStr");
    scanner.Feed(bytes);
    return scanner.Value();
}
