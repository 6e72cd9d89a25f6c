#include "common/long_path.h"

namespace {

const size_t kMaxPath = 260;  // MAX_PATH

}  // namespace

std::wstring LongPathName(const std::wstring& path)
{
    if (path.size() < kMaxPath - 12 || path.rfind(L"\\\\?\\", 0) == 0)
        return path;
    if (path.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    return path;
}

std::wstring WithoutLongPrefix(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}
