#include "app/untranslated.h"

#include "common/errors.h"
#include "common/fileio.h"
#include "common/locale_text.h"
#include "common/text_lines.h"

const wchar_t kUntranslatedTextsFile[] = L"c:\\kelvane\\undef.txt";

// The list holds a line per text the user interface met without a translation: kilobytes. A
// larger file is not that list, and writing back what was read of it would cut it short.
static const size_t kUntranslatedTextsLimit = static_cast<size_t>(16) << 20;

void TidyUntranslatedTexts(const std::wstring& path)
{
    std::string bytes;
    bool tooLarge = false;
    try {
        bytes = ReadFileBytes(path, kUntranslatedTextsLimit, &tooLarge);
    } catch (const AppError&) {
        return;
    }
    if (tooLarge)
        return;
    ReplaceFileContents(path, WideToAnsi(SortedUniqueLinesText(AnsiToWide(bytes))));
}
