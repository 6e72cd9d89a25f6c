// The About dialog, and the program's version resource, manifest and pictures: checked on the
// built program, on copies of it with other version resources, and through the dialog's windows.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "about/TAboutForm.h"
#include "app/TMainForm.h"
#include "common/handles.h"
#include "support/win_test_support.h"
#include "vorla_version.h"

namespace {

// What the built program carries: the project's version number.
const wchar_t kEdition[] = L"Version " VORLA_VERSION_TEXT;
const DWORD kVersionMS = MAKELONG(VORLA_VERSION_MINOR, VORLA_VERSION_MAJOR);
const DWORD kVersionLS = MAKELONG(VORLA_VERSION_TWEAK, VORLA_VERSION_PATCH);

std::wstring BuiltProgram()
{
    const char* dir = std::getenv("VORLA_BINARY_DIR");
    return dir ? WindowsPathOfUnix(dir) + L"\\vorlasched.exe" : std::wstring();
}

bool IsFile(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A version resource that holds only its fixed part (any bytes, possibly cut short).
std::vector<BYTE> FixedOnlyResource(const std::vector<BYTE>& fixed)
{
    const std::wstring key = L"VS_VERSION_INFO";
    std::vector<BYTE> out(6 + (key.size() + 1) * 2);
    memcpy(out.data() + 6, key.c_str(), (key.size() + 1) * 2);
    out.resize((out.size() + 3) & ~size_t(3));
    out.insert(out.end(), fixed.begin(), fixed.end());
    const WORD header[3] = {static_cast<WORD>(out.size()), static_cast<WORD>(fixed.size()), 0};
    memcpy(out.data(), header, sizeof header);
    return out;
}

std::vector<BYTE> FixedPart(DWORD fileMS, DWORD fileLS, DWORD productMS, DWORD productLS)
{
    VS_FIXEDFILEINFO fixed{VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, fileMS, fileLS, productMS, productLS};
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&fixed);
    return std::vector<BYTE>(bytes, bytes + sizeof fixed);
}

// A copy of the built program without its resources, with `resource` as its only version
// resource when that is not empty. (Wine's resource updater cannot remove single resources.)
std::wstring ProgramCopy(const TempFolder& folder, const std::wstring& name, const std::vector<BYTE>& resource)
{
    std::wstring copy = folder / name;
    EXPECT_TRUE(CopyFileW(BuiltProgram().c_str(), copy.c_str(), FALSE)) << GetLastError();
    HANDLE update = BeginUpdateResourceW(copy.c_str(), TRUE);
    EXPECT_NE(update, nullptr) << GetLastError();
    if (!resource.empty()) {
        EXPECT_TRUE(UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                    MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), const_cast<BYTE*>(resource.data()),
                                    static_cast<DWORD>(resource.size())));
    }
    EXPECT_TRUE(EndUpdateResourceW(update, FALSE)) << GetLastError();
    return copy;
}

// One node of a version resource as stored: key, value bytes, children.
struct VersionNode {
    std::wstring key;
    std::vector<BYTE> value;
    std::vector<VersionNode> children;
    std::wstring Text() const
    {
        std::wstring text(reinterpret_cast<const wchar_t*>(value.data()), value.size() / 2);
        return text.substr(0, text.find(L'\0'));
    }
};

// Reads the node at data; false when the bytes do not form one.
bool ParseNode(const BYTE* data, size_t size, VersionNode& node)
{
    WORD header[3];
    if (size < sizeof header)
        return false;
    memcpy(header, data, sizeof header);
    const size_t length = header[0], valueBytes = header[2] == 1 ? header[1] * 2u : header[1];
    if (length > size)
        return false;
    size_t at = 6;
    for (; at + 1 < length && (data[at] || data[at + 1]); at += 2)
        node.key += static_cast<wchar_t>(data[at] | (data[at + 1] << 8));
    at = (at + 2 + 3) & ~size_t(3);
    if (at + valueBytes > length)
        return false;
    node.value.assign(data + at, data + at + valueBytes);
    for (at = (at + valueBytes + 3) & ~size_t(3); at + 1 < length;) {
        const size_t childLength = data[at] | (data[at + 1] << 8);
        node.children.emplace_back();
        if (childLength == 0 || !ParseNode(data + at, length - at, node.children.back()))
            return false;
        at = (at + childLength + 3) & ~size_t(3);
    }
    return true;
}

class AboutFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(IsFile(BuiltProgram())) << "no built program at " << Utf8(BuiltProgram());
        form_.Create(nullptr);
    }
    TAboutForm form_;
};

}  // namespace

TEST(AboutVersionResource, StringTableHoldsExactlyTheProgramsEntries)
{
    ASSERT_TRUE(IsFile(BuiltProgram()));
    HMODULE module = LoadLibraryExW(BuiltProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(found, nullptr);
    VersionNode root;
    ASSERT_TRUE(ParseNode(static_cast<const BYTE*>(LockResource(LoadResource(module, found))),
                          SizeofResource(module, found), root));
    FreeLibrary(module);
    ASSERT_EQ(root.key, L"VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, root.value.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(std::vector<DWORD>({fixed.dwFileVersionMS, fixed.dwFileVersionLS, fixed.dwProductVersionMS,
                                  fixed.dwProductVersionLS}),
              std::vector<DWORD>({kVersionMS, kVersionLS, kVersionMS, kVersionLS}));

    std::vector<std::wstring> blocks, tables;
    std::map<std::wstring, std::wstring> strings;
    std::vector<BYTE> translation;
    for (const VersionNode& block : root.children) {
        blocks.push_back(block.key);
        for (const VersionNode& child : block.children) {
            if (block.key == L"StringFileInfo") {
                tables.push_back(child.key);
                for (const VersionNode& entry : child.children)
                    EXPECT_TRUE(strings.emplace(entry.key, entry.Text()).second) << Utf8(entry.key) << " twice";
            } else if (child.key == L"Translation") {
                translation = child.value;
            }
        }
    }
    EXPECT_EQ(blocks, (std::vector<std::wstring>{L"StringFileInfo", L"VarFileInfo"}));
    EXPECT_EQ(tables, std::vector<std::wstring>{L"040804E5"});
    EXPECT_EQ(strings, (std::map<std::wstring, std::wstring>{
                           {L"CompanyName", L"Kelvane Ltd."}, {L"FileDescription", L"VorlaTcp Scheduler"},
                           {L"FileVersion", L"" VORLA_VERSION_TEXT}, {L"InternalName", L""}, {L"LegalCopyright", L""},
                           {L"LegalTrademarks", L""}, {L"OriginalFilename", L""}, {L"ProductName", L""},
                           {L"ProductVersion", L"1.0.0.0"}, {L"Comments", L""}}));
    EXPECT_EQ(translation, (std::vector<BYTE>{0x08, 0x04, 0xE5, 0x04}));  // Greek, code page 1253
}

TEST_F(AboutFormTest, EditionShowsTheFixedFileVersionOfTheFileAndNothingElse)
{
    TempFolder t;
    const std::wstring stripped = ProgramCopy(t, L"stripped.exe", {});
    ASSERT_EQ(GetFileVersionInfoSizeW(stripped.c_str(), nullptr), 0u) << "the copy still has a version resource";
    std::vector<BYTE> cut = FixedPart(MAKELONG(0, 4), 0, 0, 0);
    cut.resize(20);  // ends inside the file version; Windows still hands these bytes out
    WriteBytes(t / L"notes.txt", "not a program\r\n");
    struct Case {
        const char* what;
        std::wstring path;
        const wchar_t* expected;
    };
    // One form for all: every show starts again from "Version x.x".
    const Case cases[] = {
        {"the built program", BuiltProgram(), kEdition},
        {"a copy without the version resource", stripped, L"Version x.x"},
        {"the built program again", BuiltProgram(), kEdition},
        {"the running program (the tests have no version resource)", L"", L"Version x.x"},
        {"two-digit numbers; another product version",
         ProgramCopy(t, L"ten.exe", FixedOnlyResource(FixedPart(MAKELONG(2, 10), 15, MAKELONG(7, 7), 7))),
         L"Version 10.2.0.15"},
        {"the largest numbers",
         ProgramCopy(t, L"large.exe", FixedOnlyResource(FixedPart(MAKELONG(1, 65535), 65535, 0, 0))),
         L"Version 65535.1.0.65535"},
        {"a fixed part cut short", ProgramCopy(t, L"short.exe", FixedOnlyResource(cut)), L"Version x.x"},
        {"no fixed part", ProgramCopy(t, L"nofixed.exe", FixedOnlyResource({})), L"Version x.x"},
        {"a text file", t / L"notes.txt", L"Version x.x"},
        {"no such file", t / L"missing.exe", L"Version x.x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form_.SetVersionSource(c.path);
        form_.FormShow();
        EXPECT_EQ(WindowText(form_.LabelEdition()), c.expected);
    }
}

TEST_F(AboutFormTest, ShowsModallyAndOkOrTheCloseBoxClosesIt)
{
    form_.SetVersionSource(BuiltProgram());
    PostMessageW(form_.Button1(), BM_CLICK, 0, 0);
    EXPECT_EQ(form_.ShowModal(nullptr), ModalResult::Ok);
    EXPECT_EQ(WindowText(form_.LabelEdition()), kEdition);
    EXPECT_FALSE(IsWindowVisible(form_.Handle()));
    TempFolder t;
    form_.SetVersionSource(ProgramCopy(t, L"stripped.exe", {}));
    PostMessageW(form_.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form_.ShowModal(nullptr), ModalResult::Cancel);
    EXPECT_EQ(WindowText(form_.LabelEdition()), L"Version x.x");  // read again on every show
}

TEST_F(AboutFormTest, LayoutTextsAndFonts)
{
    EXPECT_EQ(WindowText(form_.Handle()), L"About");
    RECT client;
    GetClientRect(form_.Handle(), &client);
    EXPECT_EQ(client.right, form_.Scale(421));
    EXPECT_EQ(client.bottom, form_.Scale(174));
    form_.SetVersionSource(BuiltProgram());
    form_.FormShow();
    struct Control {
        const char* name;
        HWND hwnd;
        int left, top;
        const wchar_t* text;
        const wchar_t* face;  // nullptr: no font to check
        int height;           // character height at 96 DPI
        bool bold, underline;
    };
    const Control controls[] = {
        {"Image1", form_.Image1(), 4, 4, nullptr, nullptr, 0, false, false},
        {"Label5", form_.Label5(), 160, 8, L"Kelvane", L"Arial", 16, true, false},
        {"Label6", form_.Label6(), 160, 28, L"VorlaTcp Scheduler", L"Arial", 21, true, false},
        {"LabelEdition", form_.LabelEdition(), 160, 56, kEdition, L"Arial", 16, true, false},
        {"Label1", form_.Label1(), 160, 108, nullptr, L"MS Sans Serif", 11, false, false},
        {"Label3", form_.Label3(), 288, 108, L"Kelvane Ltd.", L"MS Sans Serif", 11, false, true},
        {"Button1", form_.Button1(), 288, 136, L"OK", L"MS Sans Serif", 11, false, false},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        RECT r;
        GetWindowRect(c.hwnd, &r);
        MapWindowPoints(nullptr, form_.Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, form_.Scale(c.left));
        EXPECT_EQ(r.top, form_.Scale(c.top));
        EXPECT_LE(r.right, client.right);  // no text cut off
        EXPECT_LE(r.bottom, client.bottom);
        if (c.text) {
            EXPECT_EQ(WindowText(c.hwnd), c.text);
        }
        if (!c.face)
            continue;
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(c.hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(std::wstring(font.lfFaceName), c.face);
        EXPECT_EQ(font.lfHeight, -form_.Scale(c.height));
        EXPECT_EQ(font.lfWeight >= FW_BOLD, c.bold);
        EXPECT_EQ(font.lfUnderline != 0, c.underline);
    }
    RECT label1, label3;
    GetWindowRect(form_.Label1(), &label1);
    GetWindowRect(form_.Label3(), &label3);
    EXPECT_FALSE(WindowText(form_.Label1()).empty());
    EXPECT_LT(label1.right, label3.left) << "the static line runs into the link";
    // Button1 is the only tab stop, so it has the focus when the dialog opens.
    EXPECT_EQ(GetNextDlgTabItem(form_.Handle(), nullptr, FALSE), form_.Button1());
    EXPECT_EQ(GetNextDlgTabItem(form_.Handle(), form_.Button1(), FALSE), form_.Button1());
}

namespace {

// For one test, "https" addresses open with a command that writes the address into a file
// instead of with the browser. Wine's classes ignore the user's own, so the machine's command
// is replaced, and put back afterwards.
class HttpsRecorder {
public:
    explicit HttpsRecorder(const std::wstring& file) : file_(file)
    {
        DWORD size = 0;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\https\\shell\\open\\command", 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, key_.put()) != ERROR_SUCCESS ||
            RegQueryValueExW(key_.get(), nullptr, nullptr, &type_, nullptr, &size) != ERROR_SUCCESS)
            return;
        original_.resize(size);
        std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo %1>\"" + file + L"\"";
        replaced_ = RegQueryValueExW(key_.get(), nullptr, nullptr, &type_, original_.data(), &size) == ERROR_SUCCESS &&
                    Set(REG_SZ, command.c_str(), (command.size() + 1) * sizeof(wchar_t));
    }
    ~HttpsRecorder()
    {
        if (replaced_)
            Set(type_, original_.data(), original_.size());
    }
    bool Ready() const { return replaced_; }
    // The address that was opened, once the command has written it; empty if it never does.
    std::string Opened() const
    {
        for (int i = 0; i < 400; ++i, Sleep(50)) {
            std::string text = ReadBytes(file_);
            if (text != "<missing>" && text.find('\n') != std::string::npos)
                return text.substr(0, text.find_first_of("\r\n"));
        }
        return {};
    }

private:
    bool Set(DWORD type, const void* data, size_t size)
    {
        return RegSetValueExW(key_.get(), nullptr, 0, type, static_cast<const BYTE*>(data),
                              static_cast<DWORD>(size)) == ERROR_SUCCESS;
    }
    std::wstring file_;
    UniqueHKey key_;
    DWORD type_ = REG_SZ;
    std::vector<BYTE> original_;
    bool replaced_ = false;
};

}  // namespace

TEST_F(AboutFormTest, Label3IsALinkToTheHomePage)
{
    // Blue text and the hand cursor, for the link only.
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    for (HWND label : {form_.Label3(), form_.Label1()}) {
        SCOPED_TRACE(label == form_.Label3() ? "Label3" : "Label1");
        SetTextColor(dc.get(), RGB(1, 2, 3));
        SendMessageW(form_.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(GetTextColor(dc.get()) == RGB(0, 0, 255), label == form_.Label3());
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SendMessageW(form_.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor() == LoadCursorW(nullptr, IDC_HAND), label == form_.Label3());
    }
    // The tooltip shows the address.
    ASSERT_EQ(SendMessageW(form_.LinkTip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[512] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(form_.LinkTip(), TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(reinterpret_cast<HWND>(tool.uId), form_.Label3());
    EXPECT_EQ(std::wstring(text), kMakerHomePage);
    // A click opens it.
    TempFolder t;
    HttpsRecorder recorder(t / L"opened.txt");
    ASSERT_TRUE(recorder.Ready());
    SendMessageW(form_.Label3(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(form_.Label3(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(recorder.Opened(), Utf8(kMakerHomePage));
}

TEST_F(AboutFormTest, LogoIsA256ColourPictureDrawnTransparent)
{
    UniqueBitmap logo(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), L"LOGO", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(logo);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(logo.get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 146);
    EXPECT_EQ(dib.dsBm.bmHeight, 129);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 8);
    EXPECT_TRUE(dib.dsBmih.biClrUsed == 0 || dib.dsBmih.biClrUsed == 256) << dib.dsBmih.biClrUsed;
    UniqueMemoryDc logoDc(CreateCompatibleDC(nullptr));
    SelectScope selectLogo(logoDc.get(), logo.get());
    const COLORREF key = GetPixel(logoDc.get(), 0, 128);

    // The dialog draws Image1 into a 32-bit picture, as when it paints itself.
    RECT r;
    GetClientRect(form_.Image1(), &r);
    EXPECT_EQ(r.right, form_.Scale(146));
    EXPECT_EQ(r.bottom, form_.Scale(129));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap canvas(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    SelectScope select(dc.get(), canvas.get());
    SendMessageW(form_.Image1(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    int keyPixels = 0, picturePixels = 0;
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) {
            COLORREF c = GetPixel(dc.get(), x, y);
            keyPixels += c == key;
            picturePixels += c != face;
        }
    }
    EXPECT_EQ(keyPixels, 0) << "the transparent colour was drawn";
    EXPECT_EQ(GetPixel(dc.get(), 0, r.bottom - 1), face);
    EXPECT_GT(picturePixels, r.right * r.bottom / 4) << "the logo was not drawn";
}

namespace {

// The file of the process's comctl32.dll, in lower case.
std::wstring CommonControlsOf(HANDLE process)
{
    HMODULE modules[512];
    DWORD needed = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &needed))
        return {};
    for (DWORD i = 0; i < std::min<DWORD>(needed, sizeof modules) / sizeof(HMODULE); ++i) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameExW(process, modules[i], path, MAX_PATH);
        CharLowerW(path);
        if (std::wstring(path).find(L"\\comctl32.dll") != std::wstring::npos)
            return path;
    }
    return {};
}

DPI_AWARENESS AwarenessOf(HWND hwnd)
{
    using ContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    using AwarenessFn = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto context = reinterpret_cast<ContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    auto awareness = reinterpret_cast<AwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    return context && awareness ? awareness(context(hwnd)) : DPI_AWARENESS_INVALID;
}

}  // namespace

TEST(AboutProgram, StartsWithItsManifestAndIconAndItsAboutShowsItsVersion)
{
    ASSERT_TRUE(IsFile(BuiltProgram()));
    HICON large = nullptr, small = nullptr;  // the icon the shell shows for the file
    EXPECT_EQ(ExtractIconExW(BuiltProgram().c_str(), 0, &large, &small, 1), 2u);
    for (HICON icon : {large, small}) {
        EXPECT_NE(icon, nullptr);
        if (icon)
            DestroyIcon(icon);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + BuiltProgram() + L"\"";
    ASSERT_TRUE(CreateProcessW(BuiltProgram().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info))
        << GetLastError();
    ProcessInfo child{UniqueHandle(info.hProcess), UniqueHandle(info.hThread), info.dwProcessId};
    WaitForInputIdle(child.process.get(), 10000);
    HWND main = WaitForWindowOf(child.processId, L"TMainForm");
    HWND about = WaitForWindowOf(child.processId, L"TAboutForm", false);
    EXPECT_NE(main, nullptr);
    EXPECT_NE(about, nullptr);
    if (main && about) {
        // The manifest was read: Common Controls 6 from the side-by-side store, per-monitor DPI.
        std::wstring comctl = CommonControlsOf(child.process.get());
        EXPECT_NE(comctl.find(L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
                  std::wstring::npos)
            << Utf8(comctl);
        EXPECT_EQ(AwarenessOf(main), DPI_AWARENESS_PER_MONITOR_AWARE);

        PostMessageW(main, WM_COMMAND, IdAbout1, 0);
        EXPECT_EQ(WaitForWindowOf(child.processId, L"TAboutForm"), about);
        EXPECT_EQ(WindowText(GetDlgItem(about, TAboutForm::IdLabelEdition)), kEdition);
        PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        for (int i = 0; i < 200 && IsWindowVisible(about); ++i)
            Sleep(50);
        EXPECT_FALSE(IsWindowVisible(about));
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(child.process.get(), 20000) != WAIT_OBJECT_0) {
        TerminateProcess(child.process.get(), 1);
        ADD_FAILURE() << "the program did not end";
    }
}
