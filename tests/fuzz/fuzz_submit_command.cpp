// The client's command line and the decoding of its answer: whatever the direction and the two
// paths hold, the command line cuts back (by the Windows rules) into exactly the five arguments
// the client expects, each one unchanged; a quoted argument cuts back into itself alone; an
// answer keeps every byte, and a cut answer is marked at both ends.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/locale_text.h"
#include "jobs/submit_command.h"
#include "support/command_line_rules.h"

namespace {

// ASCII bytes stand for themselves (a NUL, which no command line can carry, for a backslash);
// a byte with the high bit and the byte after it make one character from U+0080 upwards.
std::wstring TakeText(FuzzedDataProvider& input)
{
    const std::string bytes = input.ConsumeRandomLengthString(256);
    std::wstring text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text += b == 0 ? L'\\' : static_cast<wchar_t>(b);
        } else if (i + 1 < bytes.size()) {
            text += static_cast<wchar_t>((((b & 0x7F) << 8) | static_cast<unsigned char>(bytes[++i])) + 0x80);
        }
    }
    return text;
}

void Check(bool condition)
{
    if (!condition)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::wstring direction = TakeText(input);
    const std::wstring printFile = TakeText(input);
    const std::wstring resultFile = TakeText(input);

    const std::vector<std::wstring> quoted = SplitCommandLine(L"x " + QuotedArgument(printFile));
    Check(quoted.size() == 2 && quoted[1] == printFile);

    const std::wstring line = SubmitCommandLine(direction, printFile, resultFile);
    const std::vector<std::wstring> args = SplitCommandLine(line);
    const std::vector<std::wstring> expected{kSubmitClient, kSubmitService, L"-i" + direction, printFile,
                                             L"-re" + resultFile};
    Check(args == expected);
    // A direction that needs no quotes goes as it is, as the client has always received it.
    if (!NeedsQuotes(direction))
        Check(line.find(L" -i" + direction + L" ") != std::wstring::npos);

    const std::string answer = input.ConsumeRemainingBytesAsString();
    const std::wstring whole = AnswerText(answer, false);
    Check(whole == AnsiToWide(answer));
    const std::wstring cut = AnswerText(answer, true);
    const std::wstring mark = kAnswerCutMark;
    Check(cut.size() == mark.size() + whole.size() + 1);
    Check(cut.compare(0, mark.size(), mark) == 0 && cut.back() == L'\u2026');
    Check(cut.compare(mark.size(), whole.size(), whole) == 0);
    return 0;
}
