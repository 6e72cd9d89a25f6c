#include "win/faults_support.h"

#include <algorithm>

#include "common/fileio.h"
#include "support/win_test_support.h"

std::wstring GetEnv(const wchar_t* name)
{
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0)
        return {};
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(n);
    return value;
}

void SetEnv(const wchar_t* name, const std::wstring& value)
{
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

EnvScope::EnvScope(const wchar_t* name, const std::wstring& value) : name_(name), saved_(GetEnv(name))
{
    SetEnv(name, value);
}

EnvScope::~EnvScope()
{
    SetEnv(name_.c_str(), saved_);
}

FileHolder::FileHolder(const std::wstring& path)
{
    static unsigned counter = 0;
    const std::wstring eventName =
        L"vorla-faults-hold-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    std::wstring commandLine = L"vorlatcpw.exe --hold \"" + path + L"\" " + eventName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring program = ProgramFolder() + L"\\vorlatcpw.exe";
    if (ready && CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        // The holder either signals that it holds the file or ends because it could not open it.
        HANDLE waits[] = {ready, process_};
        holding_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
    if (ready)
        CloseHandle(ready);
}

FileHolder::~FileHolder()
{
    if (!process_)
        return;
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 30000);
    CloseHandle(process_);
}

void EndProcess(DWORD pid)
{
    if (pid == 0)
        return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process)
        return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 30000);
    CloseHandle(process);
}

std::vector<ClientRun> ReadClientLog(const std::wstring& path)
{
    std::vector<ClientRun> runs;
    std::string bytes = ReadBytes(path);
    if (bytes == "<missing>")
        return runs;
    std::wstring text = FromUtf8(bytes);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        std::wstring line = text.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
        pos = end == std::wstring::npos ? text.size() : end + 1;
        if (line.rfind(L"cmd=", 0) == 0)
            runs.push_back({line.substr(4), 0, {}, 0});
        else if (runs.empty())
            continue;
        else if (line.rfind(L"pid=", 0) == 0)
            runs.back().pid = static_cast<DWORD>(std::stoul(line.substr(4)));
        else if (line.rfind(L"arg=", 0) == 0)
            runs.back().args.push_back(line.substr(4));
        else if (line.rfind(L"holder=", 0) == 0)
            runs.back().holder = static_cast<DWORD>(std::stoul(line.substr(7)));
    }
    return runs;
}

namespace {

const unsigned long long kWholeDigestLimit = 16ull << 20;
const DWORD kPartDigest = 1 << 20;

struct Digest {
    unsigned long long value = 14695981039346656037ull;  // FNV-1a
    void Add(const char* bytes, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            value ^= static_cast<unsigned char>(bytes[i]);
            value *= 1099511628211ull;
        }
    }
};

std::string DescribeFile(const std::wstring& path)
{
    HANDLE file =
        CreateFileW(LongPathName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable " + std::to_string(GetLastError()) + ">";
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    const auto total = static_cast<unsigned long long>(size.QuadPart);
    Digest digest;
    std::vector<char> buffer(kPartDigest);
    auto readPart = [&](DWORD limit) {
        DWORD got = 0;
        for (DWORD taken = 0; taken < limit && ReadFile(file, buffer.data(), limit - taken, &got, nullptr) && got;
             taken += got)
            digest.Add(buffer.data(), got);
    };
    std::string text = std::to_string(total) + " bytes";
    if (total <= kWholeDigestLimit) {
        readPart(static_cast<DWORD>(total));
    } else {
        FILETIME written{};
        GetFileTime(file, nullptr, nullptr, &written);
        text += ", written " + std::to_string(written.dwHighDateTime) + ":" + std::to_string(written.dwLowDateTime);
        readPart(kPartDigest);
        LARGE_INTEGER last{};
        last.QuadPart = static_cast<LONGLONG>(total - kPartDigest);
        SetFilePointerEx(file, last, nullptr, FILE_BEGIN);
        readPart(kPartDigest);
    }
    CloseHandle(file);
    return text + ", digest " + std::to_string(digest.value);
}

void SnapshotInto(const std::wstring& root, const std::wstring& relative, TreeSnapshot& snapshot)
{
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(LongPathName(folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!wcscmp(entry.cFileName, L".") || !wcscmp(entry.cFileName, L".."))
            continue;
        const std::wstring name = relative.empty() ? entry.cFileName : relative + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot[name] = "<folder>";
            SnapshotInto(root, name, snapshot);
        } else {
            snapshot[name] = DescribeFile(root + L"\\" + name);
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

HANDLE CreateForWriting(const std::wstring& path)
{
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos)
        MakeFolders(path.substr(0, slash));
    return CreateFileW(LongPathName(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
}

bool WriteAll(HANDLE file, const char* bytes, size_t size)
{
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

}  // namespace

TreeSnapshot SnapshotTree(const std::wstring& root)
{
    TreeSnapshot snapshot;
    SnapshotInto(root, L"", snapshot);
    return snapshot;
}

void WriteRepeatedFile(const std::wstring& path, const std::string& head, const std::string& pattern,
                       unsigned long long size, const std::string& tail)
{
    HANDLE file = CreateForWriting(path);
    if (file == INVALID_HANDLE_VALUE || !WriteAll(file, head.data(), head.size()))
        abort();
    // Pieces of 8 MB that are whole repeats of the pattern.
    std::string piece;
    const size_t repeats = std::max<size_t>(1, (8u << 20) / pattern.size());
    piece.reserve(repeats * pattern.size());
    for (size_t i = 0; i < repeats; ++i)
        piece += pattern;
    for (unsigned long long left = size; left > 0;) {
        size_t n = static_cast<size_t>(std::min<unsigned long long>(left, piece.size()));
        if (!WriteAll(file, piece.data(), n))
            abort();
        left -= n;
    }
    if (!WriteAll(file, tail.data(), tail.size()))
        abort();
    CloseHandle(file);
}

void WriteZeroFile(const std::wstring& path, unsigned long long size, const std::string& tail)
{
    HANDLE file = CreateForWriting(path);
    if (file == INVALID_HANDLE_VALUE)
        abort();
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !SetEndOfFile(file) ||
        !WriteAll(file, tail.data(), tail.size()))
        abort();
    CloseHandle(file);
}

std::vector<std::wstring> ResultFilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\VOR*.tmp").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.push_back(folder + L"\\" + entry.cFileName);
        while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return names;
}

std::string RunAloneCopy(const std::wstring& folder, const std::wstring& filter)
{
    MakeFolders(folder);
    const std::wstring copy = folder + L"\\alone.exe";
    if (!CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE))
        return "the test program could not be copied";
    const std::wstring report = folder + L"\\report.txt";
    const std::wstring output = folder + L"\\output.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    std::wstring commandLine = L"alone.exe --gtest_filter=" + filter;
    PROCESS_INFORMATION child{};
    BOOL started;
    {
        EnvScope told(L"VORLA_FAULTS_REPORT", report);
        started = CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                                 &startup, &child);
    }
    CloseHandle(out);
    if (!started)
        return "the copy could not be started";
    if (WaitForSingleObject(child.hProcess, 100000) != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    std::string passed = ReadBytes(report);
    return passed == "passed" ? passed : ReadBytes(output);
}
