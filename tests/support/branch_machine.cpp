#include "support/branch_machine.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <shlobj.h>

#include "common/fileio.h"
#include "common/registry.h"
#include "support/stored_registry.h"
#include "support/win_test_support.h"

namespace machine {

std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name)
{
    const RegistryKey key = RegistryKey::Open(HKEY_LOCAL_MACHINE, path, KEY_READ);
    if (key.ValueType(name) != std::optional<DWORD>(REG_SZ))
        return std::nullopt;
    return key.ReadString(name);
}

bool KeyExists(const std::wstring& path)
{
    return RegistryKey::Open(HKEY_LOCAL_MACHINE, path, KEY_READ).Valid();
}

namespace {

// The names of the key's subkeys, as the product's tree reader lists them; none when it is absent.
std::set<std::wstring> SubkeyNames(const wchar_t* path)
{
    const std::vector<std::wstring> names = stored::Children(stored::Read(RegHive::LocalMachine, path));
    return {names.begin(), names.end()};
}

}  // namespace

std::set<std::wstring> MapNames()
{
    return SubkeyNames(kMapsKey);
}

void WriteText(const std::wstring& path, const wchar_t* name, const std::wstring& value)
{
    ExpectLocked();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void DeleteValue(const std::wstring& path, const wchar_t* name)
{
    ExpectLocked();
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE | kView, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

void DeleteTree(const std::wstring& parent, const std::wstring& child, REGSAM view)
{
    ExpectLocked();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(key, child.c_str());
    RegDeleteKeyW(key, child.c_str());
    RegCloseKey(key);
}

// Maps left by an earlier configuration: "1" .. "count", each with its Master and Copy.
void WriteOldMaps(int count)
{
    for (int n = 1; n <= count; ++n) {
        std::wstring key = std::wstring(kMapsKey) + L"\\" + std::to_wstring(n);
        WriteText(key, L"Alias", L"OLD" + std::to_wstring(n));
        WriteText(key + L"\\Master", L"Printer", L"old");
        WriteText(key + L"\\Copy", L"Printer", L"old");
    }
}

std::wstring ProgramFilesFolder()
{
    wchar_t folder[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder), S_OK);
    return folder;
}

std::set<std::wstring> FolderEntries(const std::wstring& folder)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (wcscmp(entry.cFileName, L".") && wcscmp(entry.cFileName, L".."))
            names.insert(entry.cFileName);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

DWORD LinkCount(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    bool ok = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok ? info.nNumberOfLinks : 0;
}

void AddPrinter(const std::wstring& name)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kPrintersKey) + L"\\" + name).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void RemovePrinter(const std::wstring& name)
{
    DeleteTree(kPrintersKey, name, 0);
}

std::set<std::wstring> PrinterKeys()
{
    return SubkeyNames(kPrintersKey);
}

void Choose(HWND combo, const std::wstring& entry)
{
    LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_NE(index, CB_ERR) << Utf8(entry);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring SelectedEntry(HWND combo)
{
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return L"<none>";
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::wstring> Entries(HWND combo)
{
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

std::wstring MapKey(int n, const wchar_t* section)
{
    std::wstring key = std::wstring(kMapsKey) + L"\\" + std::to_wstring(n);
    return section ? key + L"\\" + section : key;
}

std::vector<std::wstring> Aliases()
{
    std::vector<std::wstring> aliases;
    for (int n = 1; n <= static_cast<int>(MapNames().size()); ++n)
        aliases.push_back(ReadText(MapKey(n), L"Alias").value_or(L"<none>"));
    return aliases;
}

}  // namespace machine

void ExpectLocked()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    ASSERT_NE(test, nullptr);
    const std::string suite = test->test_suite_name();         // a table's: "Faults/BranchFaultsUpgrade"
    const std::string name = suite.substr(suite.rfind('/') + 1);  // the whole when there is no '/'
    EXPECT_EQ(name.rfind("Branch", 0), 0u) << suite << " touches the product key or the branch machine: "
                                             "its suite's name must begin with Branch";
}

ProductRoot ScratchProductRoot()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::wstring name = FromUtf8(std::string(test->test_suite_name()) + "." + test->name());
    for (wchar_t& c : name)
        if (c == L'/' || c == L'\\')
            c = L'_';
    return ProductRoot{RegHive::CurrentUser, L"Software\\vorlasched-test\\" + name};
}
