#include "app/untranslated.h"

#include "common/errors.h"
#include "common/fileio.h"
#include "common/locale_text.h"
#include "common/text_lines.h"

const wchar_t kUntranslatedTextsFile[] = L"c:\\kelvane\\undef.txt";

void TidyUntranslatedTexts(const std::wstring& path)
{
    std::string bytes;
    try {
        bytes = ReadFileBytes(path, static_cast<size_t>(256) << 20);
    } catch (const AppError&) {
        return;
    }
    ReplaceFileContents(path, WideToAnsi(SortedUniqueLinesText(AnsiToWide(bytes))));
}
