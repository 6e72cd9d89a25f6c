// The rules by which Windows (CommandLineToArgvW) cuts a command line into arguments, written out
// so that pure tests and fuzz targets can check the client's command line without Windows.
// tests/win/command_line_rules_test.cpp holds this model against the system's own function.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Arguments of a command line:
// - the first one (the program) ends at the first blank or tab, or, when it begins with a double
//   quote, at the next double quote; backslashes mean nothing in it;
// - the others are separated by runs of blanks and tabs outside quotes;
// - 2n backslashes before a double quote give n backslashes, and the quote opens or closes a
//   quoted part; 2n + 1 backslashes before a quote give n backslashes and a literal quote;
//   backslashes before anything else stay as they are;
// - a quote right after a closing quote is a literal quote (the third quote of a run of three).
inline std::vector<std::wstring> SplitCommandLine(std::wstring_view line)
{
    std::vector<std::wstring> args;
    const size_t n = line.size();
    size_t i = 0;
    auto blank = [&](size_t at) { return line[at] == L' ' || line[at] == L'\t'; };

    std::wstring program;
    if (i < n && line[i] == L'"') {
        for (++i; i < n && line[i] != L'"'; ++i)
            program += line[i];
        if (i < n)
            ++i;
    } else {
        for (; i < n && !blank(i); ++i)
            program += line[i];
    }
    args.push_back(program);

    while (i < n && blank(i))
        ++i;
    while (i < n) {
        std::wstring arg;
        int quotes = 0;  // odd: inside a quoted part
        size_t backslashes = 0;
        while (i < n && !(blank(i) && quotes == 0)) {
            const wchar_t c = line[i];
            if (c == L'\\') {
                arg += c;
                ++backslashes;
                ++i;
                continue;
            }
            if (c != L'"') {
                arg += c;
                backslashes = 0;
                ++i;
                continue;
            }
            if (backslashes % 2 == 0) {
                arg.resize(arg.size() - backslashes / 2);
                ++quotes;
            } else {
                arg.resize(arg.size() - backslashes / 2 - 1);
                arg += L'"';
            }
            backslashes = 0;
            ++i;
            for (; i < n && line[i] == L'"'; ++i) {
                if (++quotes == 3) {
                    arg += L'"';
                    quotes = 0;
                }
            }
            if (quotes == 2)
                quotes = 0;
        }
        args.push_back(arg);
        while (i < n && blank(i))
            ++i;
    }
    return args;
}
