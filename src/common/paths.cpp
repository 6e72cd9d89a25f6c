#include "common/paths.h"

#include "common/locale_text.h"
#include "common/utf.h"

std::wstring ParentPath(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos || slash == 0 ? std::wstring() : path.substr(0, slash);
}

std::wstring WithTrailingSeparator(const std::wstring& folder)
{
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

std::wstring WithoutTrailingSeparator(std::wstring folder)
{
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

std::wstring PathCompareKey(const std::wstring& path)
{
    return UpperOrdinal(path);
}

std::vector<std::wstring> FolderChain(const std::wstring& folder)
{
    std::vector<std::wstring> chain;
    for (size_t end = folder.find(L'\\'); end != std::wstring::npos; end = folder.find(L'\\', end + 1))
        chain.push_back(folder.substr(0, end));
    chain.push_back(folder);
    return chain;
}

std::string Utf16FileBytes(const std::wstring& text)
{
    return "\xFF\xFE" + Utf16LeBytes(text);
}
