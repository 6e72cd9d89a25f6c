// The program's first act: its DLL search is System32 only, so a DLL of any name planted in its
// folder never loads, whatever loads it by name later (a system DLL, a shell extension).
#include <windows.h>

#include <gtest/gtest.h>

#include "common/system_dll.h"
#include "common/fileio.h"

TEST(DllSearch, AfterTheRestrictionADllInTheProgramsFolderDoesNotLoad)
{
    const std::wstring planted = ProgramFolder() + L"\\vorla-planted-probe.dll";
    const std::wstring marker = ProgramFolder() + L"\\planted-dll-loaded";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted\\winspool.drv").c_str(), planted.c_str(), FALSE));
    RestrictDllSearchToSystem32();
    HMODULE loaded = LoadLibraryW(L"vorla-planted-probe.dll");
    EXPECT_EQ(loaded, nullptr);
    EXPECT_FALSE(IsExistingFile(marker));
    EXPECT_NE(SystemFunction(L"version.dll", "GetFileVersionInfoSizeW"), nullptr);  // System32's still load
    if (loaded)
        FreeLibrary(loaded);
    DeleteFileW(planted.c_str());
    DeleteFileW(marker.c_str());
}
