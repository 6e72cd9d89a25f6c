// The exit-time tidy of a large untranslated-texts file, against reading the file whole and
// writing it back through the same replace: what the tidy adds to the program's exit.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tidy/untranslated.h"
#include "bench_common.h"
#include "common/fileio.h"
#include "support/win_test_support.h"

namespace {

// Ordinary lines of interface text: words in Latin and in the Greek code page, many lines met
// again in another case, line ends of every kind.
std::string UntranslatedLines(size_t bytes)
{
    const char* words[] = {"Save", "file", "Cancel", "printer", "branch", "job", "\xC1\xF0\xEF\xE8\xDE\xEA\xE5\xF5\xF3\xE7",
                           "\xE5\xEA\xF4\xF5\xF0\xF9\xF4\xDE\xF2", "report", "directions", "map", "till"};
    const char* ends[] = {"\r\n", "\n", "\r\n", "\r"};
    std::string out;
    out.reserve(bytes + 128);
    unsigned seed = 1253;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    while (out.size() < bytes) {
        std::string line;
        unsigned key = next() % 400000;  // about a million lines, a third of them distinct
        for (unsigned w = key, i = 0; i < 3; ++i, w /= 12)
            line += std::string(words[w % 12]) + " ";
        line += std::to_string(key);
        if (next() % 3 == 0)
            CharUpperBuffA(line.data(), static_cast<DWORD>(line.size()));
        out += line + ends[next() % 4];
    }
    return out;
}

}  // namespace

int TidyAtExit(size_t megabytes)
{
    TempFolder work;
    const std::wstring file = work / L"undef.txt";
    const std::string lines = UntranslatedLines(megabytes << 20);
    std::vector<double> a, b;
    for (int run = 0; run < 3; ++run) {
        WriteBytes(file, lines);
        auto start = BenchClock::now();
        ReplaceFileContents(file, ReadFileBytes(file, lines.size() + 1));
        a.push_back(SecondsSince(start));
        start = BenchClock::now();
        TidyUntranslatedTexts(file);
        b.push_back(SecondsSince(start));
    }
    const size_t tidyBytes = ReadBytes(file).size();
    printf("tidy: a %zu MB untranslated-texts file (%.1f MB once tidy) at the program's exit\n", megabytes,
           tidyBytes / 1048576.0);
    printf("  (a) read whole + replace unchanged : %8.3f s\n", Median(a));
    printf("  (b) the tidy                       : %8.3f s   (adds this to the exit)\n", Median(b));
    printf("  b/a = %.2f   (medians of three alternating runs)\n", Median(b) / Median(a));
    return 0;
}
