// What the program hands to the submit client and what it makes of the client's answer.
// Pure: no Windows headers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The submit client, named without a folder so that the system's program search finds it.
extern const wchar_t kSubmitClient[];
// The submit service on this machine that the client talks to.
extern const wchar_t kSubmitService[];

// One argument written so that the standard Windows command-line rules give it back unchanged:
// always enclosed in double quotes, quotes inside escaped, backslashes doubled where they stand
// before a quote. A path without quotes or a trailing backslash simply gets quotes around it.
std::wstring QuotedArgument(std::wstring_view argument);

// True when the argument would not reach the client as itself without quotes: it is empty or
// holds a blank, a tab, a line break or a double quote.
bool NeedsQuotes(std::wstring_view argument);

// The client's command line for one job:
//   vorlatcpw.exe localhost:20004 -i<direction> "<print file>" "-re<result file>"
// The direction goes unquoted, unless it holds a blank or a quote: then the whole "-i"
// argument is quoted, so that it always reaches the client as one argument.
std::wstring SubmitCommandLine(std::wstring_view direction, std::wstring_view printFile,
                               std::wstring_view resultFile);

// The most of an answer that is read and kept for one row. The list shows a row's text only
// up to a few hundred characters; anything longer is a runaway client, not a status.
constexpr size_t kAnswerLimitBytes = 4096;
// What a cut answer begins with, so that the cut shows in the narrow Result column.
extern const wchar_t kAnswerCutMark[];

// The Result text of an answer: its bytes decoded from the ANSI code page, every byte kept
// (line breaks included). When the answer was cut, the text begins with kAnswerCutMark and
// ends with an ellipsis.
std::wstring AnswerText(std::string_view bytes, bool cut);
