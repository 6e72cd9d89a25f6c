#include "jobs/submit_command.h"

#include "common/locale_text.h"

const wchar_t kSubmitClient[] = L"vorlatcpw.exe";
const wchar_t kSubmitService[] = L"localhost:20004";
const wchar_t kAnswerCutMark[] = L"[cut] ";

bool NeedsQuotes(std::wstring_view argument)
{
    return argument.empty() || argument.find_first_of(L" \t\n\v\"") != std::wstring_view::npos;
}

std::wstring QuotedArgument(std::wstring_view argument)
{
    std::wstring out;
    out.reserve(argument.size() + 2);
    out += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them: then each one is doubled and
        // the quote itself is escaped.
        if (c == L'"')
            out.append(backslashes * 2 + 1, L'\\');
        else
            out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    // The closing quote follows: backslashes before it are doubled as well.
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

std::wstring SubmitCommandLine(std::wstring_view direction, std::wstring_view printFile,
                               std::wstring_view resultFile)
{
    std::wstring directionArgument = L"-i";
    directionArgument += direction;
    std::wstring resultArgument = L"-re";
    resultArgument += resultFile;

    std::wstring line = kSubmitClient;
    line += L' ';
    line += kSubmitService;
    line += L' ';
    line += NeedsQuotes(direction) ? QuotedArgument(directionArgument) : directionArgument;
    line += L' ';
    line += QuotedArgument(printFile);
    line += L' ';
    line += QuotedArgument(resultArgument);
    return line;
}

std::wstring AnswerText(std::string_view bytes, bool cut)
{
    std::wstring text = AnsiToWide(bytes);
    if (!cut)
        return text;
    return kAnswerCutMark + text + L"\u2026";
}
