// Bad input and faults, one row per case, each met by the real command under Wine: the main
// window driven by drops and menu commands, the stand-in client as a real child process, other
// processes holding files, the real registry of the prefix and the real configuration dialog.
// Every case checks what the technician sees (rows, status, message boxes, the dialog) and what
// stays on disk and in the registry; each ends in its message or its silence, never in a crash or
// a hang. Suites that touch the product's registry key are named Branch...: tests/CMakeLists.txt
// queues them behind one lock.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <thread>

#include "app/TMainForm.h"
#include "tidy/untranslated.h"
#include "common/fileio.h"
#include "common/locale_text.h"
#include "common/window.h"
#include "config/barcode239.h"
#include "jobs/jobinfo.h"
#include "jobs/submit_command.h"
#include "support/branch_machine.h"
#include "support/console_run.h"
#include "support/win_test_support.h"
#include "win/faults_support.h"

namespace {

using Table = std::vector<std::vector<std::wstring>>;
// Whatever a case's arrangement must keep alive until the case has been checked (a process
// holding a file, a key whose access is refused, a file renamed away).
using Keep = std::shared_ptr<void>;

template <class T, class... Args>
Keep Hold(Args&&... args)
{
    return std::make_shared<T>(std::forward<Args>(args)...);
}

const unsigned long long k200MB = 200ull << 20;

// The main window with a spool folder, a temporary folder of its own (where the result file
// goes) and the stand-in client logging its runs into the bench's folder.
class WindowBench {
public:
    WindowBench()
    {
        MakeFolders(spool);
        MakeFolders(temp);
        form.Create(nullptr, nullptr, nullptr);
    }
    ~WindowBench() { EndHolders(); }
    WindowBench(const WindowBench&) = delete;
    WindowBench& operator=(const WindowBench&) = delete;

    void Drop(const std::vector<std::wstring>& paths)
    {
        PostDrop(form.Handle(), paths);
        PumpQueued();
    }
    void Command(int id) { SendMessageW(form.Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
    Table Rows() const { return ListViewRows(form.ListView1()); }
    std::wstring Status() const { return StatusBarText(form.StatusBar1()); }
    // The processes that clients left holding the result file.
    void EndHolders()
    {
        for (const ClientRun& run : ReadClientLog(log))
            EndProcess(run.holder);
    }

    TempFolder work;
    const std::wstring spool = work / L"spool";
    const std::wstring temp = work / L"tmp";
    const std::wstring log = work / L"client.log";
    EnvScope tmp{L"TMP", temp};
    EnvScope tempToo{L"TEMP", temp};
    EnvScope clientLog{L"VORLATCPW_LOG", log};
    EnvScope clientMode{L"VORLATCPW_MODE", L""};
    EnvScope clientAnswer{L"VORLATCPW_ANSWER", L""};
    EnvScope clientSize{L"VORLATCPW_SIZE", L""};
    EnvScope clientExit{L"VORLATCPW_EXIT", L""};
    MessageBoxWatcher boxes;
    TMainForm form;
};

std::string Entry(const std::string& destination)
{
    return "ToDoStr=FWDVORLA\"AB:1:" + destination + "\r\n";
}

std::string InfoFile(const std::string& destination)
{
    return "[Job]\r\nPrinter=Branch\r\n" + Entry(destination) + "Copies=1\r\n";
}

// Bytes of a fixed pseudo-random sequence; without NUL unless asked, and never a line break.
std::string Noise(size_t size, bool withNul)
{
    std::string bytes;
    bytes.reserve(size);
    unsigned state = 12345;
    while (bytes.size() < size) {
        state = state * 1103515245u + 12345u;
        auto b = static_cast<char>(state >> 16);
        if (b == '\r' || b == '\n' || (b == '\0' && !withNul))
            continue;
        bytes += b;
    }
    return bytes;
}

std::wstring Directions(const char* ansiDestination, bool copy)
{
    return ansiDestination ? AnsiToWide(ansiDestination) + (copy ? L"_COPY" : L"") : L"";
}

// ---- Job-information files, as the analysis and "Split PRI files" meet them

enum class SplitEnd {
    Unchanged,  // the row stays as it was dropped
    Converted,  // the row becomes the print job's row with the bare destination
    Removed,    // a folder: the row goes
};

struct JobInfoCase {
    const char* name;
    // Makes (or leaves out) the job's information file.
    std::function<Keep(const std::wstring& infoFile)> make;
    const char* destination;  // ANSI bytes of the destination the analysis finds; nullptr: none
    SplitEnd split;
    const char* splitDestination = nullptr;  // Converted: the bare destination
    const char* afterRelease = nullptr;      // found by the next analysis, once the file is let go
};

void PrintTo(const JobInfoCase& c, std::ostream* os)
{
    *os << c.name;
}

std::function<Keep(const std::wstring&)> Bytes(std::string bytes)
{
    return [bytes](const std::wstring& file) {
        WriteBytes(file, bytes);
        return Keep();
    };
}

std::string Utf16(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}

const JobInfoCase kJobInfoCases[] = {
    {"missing", [](const std::wstring&) { return Keep(); }, nullptr, SplitEnd::Unchanged},
    {"locked_for_writing_by_another_process",
     [](const std::wstring& file) {
         WriteBytes(file, InfoFile("HELD"));
         auto holder = std::make_shared<FileHolder>(file);
         EXPECT_TRUE(holder->Holding());
         return Keep(holder);
     },
     nullptr, SplitEnd::Unchanged, nullptr, "HELD"},
    {"line_breaks_only", Bytes("\r\n\r\n\n\r"), nullptr, SplitEnd::Unchanged},
    {"zero_bytes", Bytes(""), nullptr, SplitEnd::Unchanged},
    {"entries_of_200_mb_with_ToDoStr_last",
     [](const std::wstring& file) {
         WriteRepeatedFile(file, "[Job]\r\n", "Junk=0123456789abcdef0123456789abcdef0123\r\n", k200MB,
                           "\r\n" + Entry("FAR"));
         return Keep();
     },
     "FAR", SplitEnd::Converted, "FAR"},
    {"zeros_of_200_mb_before_ToDoStr",
     [](const std::wstring& file) {
         WriteZeroFile(file, k200MB, Entry("BEHIND_NUL"));
         return Keep();
     },
     nullptr, SplitEnd::Unchanged},
    {"one_value_of_200_mb",
     [](const std::wstring& file) {
         WriteRepeatedFile(file, "ToDoStr=FWDVORLA\"AB:1:HUGE:", "y", k200MB, "\r\n");
         return Keep();
     },
     "HUGE", SplitEnd::Converted, "HUGE"},
    {"binary_with_nul_early", Bytes(std::string("MZ\x90\0\x03\0\0\0", 8) + Noise(4096, true) + Entry("BIN")), nullptr,
     SplitEnd::Unchanged},
    {"binary_without_nul_then_ToDoStr", Bytes(Noise(65536, false) + "\r\n" + Entry("BIN")), "BIN", SplitEnd::Converted,
     "BIN"},
    {"utf16_text", Bytes(Utf16(Entry("WIDE"))), nullptr, SplitEnd::Unchanged},
    {"nul_before_ToDoStr", Bytes(std::string("Pages=1\0", 8) + Entry("HIDDEN")), nullptr, SplitEnd::Unchanged},
    {"cr_only_line_ends", Bytes("Pages=1\rToDoStr=FWDVORLA\"AB:1:CR\rCopies=1\r"), "CR", SplitEnd::Converted, "CR"},
    {"no_equals_sign", Bytes("ToDoStr FWDVORLA\"AB:1:X\r\nCopies 1\r\n"), nullptr, SplitEnd::Unchanged},
    {"ToDoStr_twice_the_first_no_directive", Bytes("ToDoStr=PRINT\r\n" + Entry("SECOND")), nullptr,
     SplitEnd::Unchanged},
    {"ToDoStr_twice_both_directives", Bytes(Entry("FIRST") + Entry("SECOND")), "FIRST", SplitEnd::Converted, "FIRST"},
    {"directive_of_three_tokens", Bytes("ToDoStr=FWDVORLA\"AB:1\r\n"), nullptr, SplitEnd::Converted, ""},
    {"greek_destination", Bytes(InfoFile("\xC1\xC2_POS")), "\xC1\xC2_POS", SplitEnd::Converted, "\xC1\xC2_POS"},
    {"information_file_is_a_folder",
     [](const std::wstring& file) {
         MakeFolders(file);
         return Keep();
     },
     nullptr, SplitEnd::Removed},
    {"hidden_read_only_system_file",
     [](const std::wstring& file) {
         WriteBytes(file, InfoFile("ATTRS"));
         SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
         return Keep();
     },
     "ATTRS", SplitEnd::Converted, "ATTRS"},
};

class FaultsJobInfo : public testing::TestWithParam<JobInfoCase> {};

// The folder is dropped and analysed, then the information file itself is dropped and split:
// neither command shows a message or writes a byte, whatever the file holds.
TEST_P(FaultsJobInfo, AnalysisAndSplitEndQuietly)
{
    const JobInfoCase& c = GetParam();
    WindowBench bench;
    const std::wstring job = bench.spool + L"\\job_x.prn";
    const std::wstring info = bench.spool + L"\\job_i.pri";
    WriteBytes(job, "%!PS-Adobe-3.0\r\n");
    Keep keep = c.make(info);
    const TreeSnapshot before = SnapshotTree(bench.spool);

    bench.Drop({bench.spool});
    bench.Command(IdResubmitfiles1);
    EXPECT_EQ(bench.Rows(), (Table{{job, Directions(c.destination, true), L""}}));
    EXPECT_EQ(bench.form.Jobs().at(0).subItems, c.destination ? 1 : 0);
    EXPECT_EQ(bench.Status(), L"Scanning " + info);

    bench.Drop({info});
    bench.Command(IdSplitfiles1);
    switch (c.split) {
    case SplitEnd::Unchanged:
        EXPECT_EQ(bench.Rows(), (Table{{info, L"", L""}}));
        EXPECT_EQ(bench.form.Jobs().at(0).subItems, 0);
        break;
    case SplitEnd::Converted:
        EXPECT_EQ(bench.Rows(), (Table{{bench.spool + L"\\job_i.prn", Directions(c.splitDestination, false), L""}}));
        EXPECT_EQ(bench.form.Jobs().at(0).subItems, 1);
        break;
    case SplitEnd::Removed:
        EXPECT_TRUE(bench.Rows().empty());
        break;
    }

    EXPECT_TRUE(bench.boxes.Texts().empty());
    EXPECT_EQ(SnapshotTree(bench.spool), before) << "the commands only read";

    if (c.afterRelease) {
        keep.reset();
        bench.Drop({bench.spool});
        bench.Command(IdResubmitfiles1);
        EXPECT_EQ(bench.Rows(), (Table{{job, Directions(c.afterRelease, true), L""}})) << "tried again";
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultsJobInfo, testing::ValuesIn(kJobInfoCases),
                         [](const testing::TestParamInfo<JobInfoCase>& param) { return std::string(param.param.name); });

// ---- Folders and names, as the expansion meets them

struct FolderScene {
    std::vector<std::wstring> dropped;
    Table rows;                       // what the list shows after the command
    std::function<void()> meanwhile;  // happens between the drop and the command
};

struct FolderCase {
    const char* name;
    std::function<FolderScene(const std::wstring& spool)> make;
    int command = IdResubmitfiles1;
};

void PrintTo(const FolderCase& c, std::ostream* os)
{
    *os << c.name;
}

std::wstring Fixture(const char* name)
{
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    return binary ? WindowsPathOfUnix(std::string(binary) + "/fixtures/" + name) : L"<no VORLA_BINARY_DIR>";
}

// A print job with its information file.
std::wstring Job(const std::wstring& printFile, const std::string& destination)
{
    WriteBytes(printFile, "%!PS");
    WriteBytes(JobInfoFileName(printFile), InfoFile(destination));
    return printFile;
}

const FolderCase kFolderCases[] = {
    {"folder_too_deep_to_be_searched",
     [](const std::wstring&) {
         // The deepest folders' paths pass what the system can open: their search cannot start,
         // and they add no rows; the reachable part of the tree is collected as always.
         const std::wstring tree = Fixture("deeptree");
         std::wstring reach = tree + L"\\deep";
         for (int level = 0; level < 10; ++level)
             reach += L"\\" + std::wstring(200, L'd');
         return FolderScene{{tree}, {{tree + L"\\top_x.prn", L"", L""}, {reach + L"\\reach_x.prn", L"DEEP_COPY", L""}}};
     }},
    {"dropped_folder_too_deep_to_be_read",
     [](const std::wstring&) {
         std::wstring beyond = Fixture("deeptree") + L"\\deep";
         for (int level = 0; level < 25; ++level)
             beyond += L"\\" + std::wstring(200, L'd');
         // Neither can be opened: the folder goes like any path that is no folder, the print file
         // stays like any print file that names nothing, without a direction.
         return FolderScene{{beyond, beyond + L"\\beyond_x.prn"}, {{beyond + L"\\beyond_x.prn", L"", L""}}};
     }},
    {"link_cycles",
     [](const std::wstring&) {
         const std::wstring tree = Fixture("linktree");
         return FolderScene{
             {tree},
             {{tree + L"\\sub\\b.prn", L"", L""}, {tree + L"\\a.prn", L"", L""}}};
     }},
    {"path_of_more_than_300_characters",
     [](const std::wstring& spool) {
         std::wstring deep = spool;
         while (deep.size() < 300)
             deep += L"\\Φάκελος εργασιών";
         const std::wstring job = Job(deep + L"\\far_x.prn", "FAR");
         return FolderScene{{spool}, {{job, L"FAR_COPY", L""}}};
     }},
    {"names_outside_the_ansi_code_page",
     [](const std::wstring& spool) {
         const std::wstring job = Job(spool + L"\\日本 Ελληνικά 😀\\заказ 😀_x.prn", "WIDE");
         return FolderScene{{spool}, {{job, L"WIDE_COPY", L""}}};
     }},
    {"dropped_paths_that_vanished",
     [](const std::wstring& spool) {
         Job(spool + L"\\gone\\a_x.prn", "GONE");
         WriteBytes(spool + L"\\note.txt", "");
         return FolderScene{{spool + L"\\gone", spool + L"\\ghost_x.prn", spool + L"\\note.txt"},
                            {{spool + L"\\ghost_x.prn", L"", L""}},
                            [spool] {
                                RemoveTree(spool + L"\\gone");
                                RemoveTree(spool + L"\\note.txt");
                            }};
     }},
    {"folder_named_like_a_print_file",
     [](const std::wstring& spool) {
         const std::wstring job = Job(spool + L"\\folder.prn\\in_x.prn", "IN");
         return FolderScene{{spool + L"\\folder.prn"}, {{job, L"IN_COPY", L""}}};
     }},
    {"folders_without_print_files",
     [](const std::wstring& spool) {
         MakeFolders(spool + L"\\empty");
         WriteBytes(spool + L"\\texts\\a.txt", "");
         WriteBytes(spool + L"\\texts\\a_i.pri", InfoFile("ORPHAN"));
         return FolderScene{{spool + L"\\empty", spool + L"\\texts"}, {}};
     }},
    {"hidden_and_system_print_files",
     [](const std::wstring& spool) {
         const std::wstring hidden = Job(spool + L"\\h_x.prn", "H");
         const std::wstring system = Job(spool + L"\\s_x.prn", "S");
         SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
         SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
         return FolderScene{{spool}, {{system, L"S_COPY", L""}, {hidden, L"H_COPY", L""}}};
     }},
    {"device_names_as_information_files",
     [](const std::wstring& spool) {
         // Names that the system may open as devices are never read as files; nothing waits on them.
         std::vector<std::wstring> names{L"PRN.pri", L"AUX.pri", L"NUL.pri", L"CON.pri", L"COM1.pri"};
         FolderScene scene;
         for (const std::wstring& name : names)
             scene.dropped.push_back(spool + L"\\" + name);
         for (const wchar_t* sorted : {L"AUX.pri", L"COM1.pri", L"CON.pri", L"NUL.pri", L"PRN.pri"})
             scene.rows.push_back({spool + L"\\" + sorted, L"", L""});
         return scene;
     },
     IdSplitfiles1},
};

class FaultsFolders : public testing::TestWithParam<FolderCase> {};

TEST_P(FaultsFolders, ExpansionEndsQuietly)
{
    const FolderCase& c = GetParam();
    WindowBench bench;
    FolderScene scene = c.make(bench.spool);
    const TreeSnapshot before = SnapshotTree(bench.spool);
    bench.Drop(scene.dropped);
    if (scene.meanwhile)
        scene.meanwhile();
    const TreeSnapshot meanwhile = SnapshotTree(bench.spool);
    bench.Command(c.command);
    EXPECT_EQ(bench.Rows(), scene.rows);
    EXPECT_TRUE(bench.boxes.Texts().empty());
    EXPECT_EQ(SnapshotTree(bench.spool), scene.meanwhile ? meanwhile : before) << "the commands only read";
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultsFolders, testing::ValuesIn(kFolderCases),
                         [](const testing::TestParamInfo<FolderCase>& param) { return std::string(param.param.name); });

// ---- The submit client and its result file

const size_t kRows = 3;

// The window with three rows ready for submission: print files in the spool, directions D1..D3
// (or the case's own), the captions the case gives or one_x.prn, two_x.prn, three_x.prn.
class ClientBench : public WindowBench {
public:
    ClientBench(const std::vector<std::wstring>& directions, const std::vector<std::wstring>& names)
    {
        JobList rows;
        for (size_t i = 0; i < kRows; ++i) {
            const std::wstring caption = spool + L"\\" + names[i];
            WriteBytes(caption, "%!PS");
            JobRow row(caption);
            row.SetDirections(directions[i]);
            rows.push_back(row);
        }
        form.Jobs() = rows;
        form.RowsChanged();
        captions_ = names;
        directions_ = directions;
    }
    std::wstring Caption(size_t i) const { return spool + L"\\" + captions_.at(i); }
    // The stand-in's echo for row i, as it comes back through the ANSI code page.
    std::wstring Echo(size_t i) const
    {
        return AnsiToWide(
            WideToAnsi(L"received: " + std::wstring(kSubmitService) + L" -i" + directions_.at(i) + L" " + Caption(i)));
    }
    std::wstring ResultFile() const { return form.ResultFileName(); }
    void Submit() { Command(IdResubmitfilesaction1); }

private:
    std::vector<std::wstring> captions_;
    std::vector<std::wstring> directions_;
};

using Results = std::vector<std::optional<std::wstring>>;  // each row's Result; nullopt: none

struct ClientCase {
    const char* name;
    std::vector<std::pair<const wchar_t*, std::wstring>> client;  // the stand-in's settings
    std::function<Keep(ClientBench&)> before;                     // what happens before the command
    std::function<std::vector<std::wstring>(const ClientBench&)> messages;
    std::function<Results(const ClientBench&)> results;
    size_t runs;         // client runs logged in all
    bool alone = false;  // the command runs in a copy of this program without a client beside it
    std::vector<std::wstring> directions = {L"D1", L"D2", L"D3"};
    std::vector<std::wstring> names = {L"one_x.prn", L"two_x.prn", L"three_x.prn"};
};

void PrintTo(const ClientCase& c, std::ostream* os)
{
    *os << c.name;
}

std::function<std::vector<std::wstring>(const ClientBench&)> NoMessage()
{
    return [](const ClientBench&) { return std::vector<std::wstring>{}; };
}

std::function<std::vector<std::wstring>(const ClientBench&)> Message(
    std::function<std::wstring(const ClientBench&)> text)
{
    return [text](const ClientBench& b) { return std::vector<std::wstring>{text(b)}; };
}

std::function<Results(const ClientBench&)> Echoes(std::vector<bool> answered)
{
    return [answered](const ClientBench& b) {
        Results results;
        for (size_t i = 0; i < kRows; ++i)
            results.push_back(answered[i] ? std::optional<std::wstring>(b.Echo(i)) : std::nullopt);
        return results;
    };
}

std::wstring CannotLoadAnswer(const ClientBench& b)
{
    return L"Failed to load eret, error: Cannot open file " + b.ResultFile();
}

// What the list shows of an answer that ran past the limit: its first bytes, marked at both ends.
std::wstring CutNumberedLines()
{
    std::string lines;
    for (unsigned n = 1; lines.size() < kAnswerLimitBytes; ++n) {
        char line[16];
        snprintf(line, sizeof line, "line %06u\r\n", n);
        lines += line;
    }
    lines.resize(kAnswerLimitBytes);
    return kAnswerCutMark + AnsiToWide(lines) + L"\u2026";
}

// A client that never ends: once it runs, the technician presses Esc; should the wait not stop,
// every client is ended, so that the case fails instead of hanging.
class EscWhenSecondClientRuns {
public:
    explicit EscWhenSecondClientRuns(ClientBench& bench)
        : thread_([this, &bench] {
              for (int i = 0; i < 3000 && !done_ && ReadClientLog(bench.log).size() < 2; ++i)
                  Sleep(20);
              PostMessageW(bench.form.ListView1(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
              for (int i = 0; i < 3000 && !done_; ++i)
                  Sleep(20);
              if (!done_)
                  for (const ClientRun& run : ReadClientLog(bench.log))
                      EndProcess(run.pid);
          })
    {
    }
    ~EscWhenSecondClientRuns()
    {
        done_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

const ClientCase kClientCases[] = {
    {"client_missing",
     {},
     nullptr,
     Message([](const ClientBench&) { return L"CreateProcess() error 2"; }),
     Echoes({false, false, false}),
     0,
     true},
    {"client_crashes",
     {{L"VORLATCPW_MODE", L"echo,crash,echo"}},
     nullptr,
     NoMessage(),
     [](const ClientBench& b) {
         return Results{b.Echo(0), L"", b.Echo(2)};
     },
     3},
    {"client_exits_non_zero_with_an_answer",
     {{L"VORLATCPW_MODE", L"answer"}, {L"VORLATCPW_ANSWER", L"FAILED: no route\r\n"}, {L"VORLATCPW_EXIT", L"7"}},
     nullptr,
     NoMessage(),
     [](const ClientBench&) {
         return Results{L"FAILED: no route\r\n", L"FAILED: no route\r\n", L"FAILED: no route\r\n"};
     },
     3},
    {"client_exits_non_zero_without_an_answer",
     {{L"VORLATCPW_MODE", L"echo,silent"}, {L"VORLATCPW_EXIT", L"1"}},
     nullptr,
     NoMessage(),
     [](const ClientBench& b) {
         return Results{b.Echo(0), L"", L""};
     },
     3},
    {"client_never_ends",
     {{L"VORLATCPW_MODE", L"echo,hang,echo"}},
     [](ClientBench& b) { return Hold<EscWhenSecondClientRuns>(b); },
     Message([](const ClientBench& b) {
         return L"Stopped waiting for vorlatcpw.exe, which was ended. The job " + b.Caption(1) +
                L" may have been submitted; the rows after it were not submitted.";
     }),
     Echoes({true, false, false}),
     2},
    {"client_writes_100_mb",
     {{L"VORLATCPW_MODE", L"large,echo"}, {L"VORLATCPW_SIZE", L"104857600"}},
     nullptr,
     NoMessage(),
     [](const ClientBench& b) {
         return Results{CutNumberedLines(), b.Echo(1), b.Echo(2)};
     },
     3},
    {"client_deletes_the_result_file",
     {{L"VORLATCPW_MODE", L"echo,delete"}},
     nullptr,
     Message(CannotLoadAnswer),
     Echoes({true, false, false}),
     2},
    {"result_file_held_by_another_process_when_the_client_ends",
     {{L"VORLATCPW_MODE", L"echo,lock"}},
     nullptr,
     Message(CannotLoadAnswer),
     Echoes({true, false, false}),
     2},
    {"result_file_deleted_between_submissions",
     {},
     [](ClientBench& b) {
         b.Submit();
         EXPECT_TRUE(DeleteFileW(b.ResultFile().c_str()));
         return Keep();
     },
     NoMessage(),
     Echoes({true, true, true}),
     6},
    {"result_file_locked_between_submissions",
     {},
     [](ClientBench& b) {
         b.Submit();
         auto holder = std::make_shared<FileHolder>(b.ResultFile());
         EXPECT_TRUE(holder->Holding());
         return Keep(holder);
     },
     Message([](const ClientBench& b) { return L"Cannot empty the result file " + b.ResultFile() + L", error 32"; }),
     Echoes({true, true, true}),
     3},
    {"temporary_folder_missing",
     {},
     [](ClientBench& b) {
         auto missing = std::make_shared<std::pair<EnvScope, EnvScope>>(
             std::piecewise_construct, std::forward_as_tuple(L"TMP", b.work / L"no such folder"),
             std::forward_as_tuple(L"TEMP", b.work / L"no such folder"));
         return Keep(missing);
     },
     Message([](const ClientBench&) { return L"GetTempFileName() error 267"; }),
     Echoes({false, false, false}),
     0},
    {"directions_with_blanks_and_quotes",
     {},
     nullptr,
     NoMessage(),
     Echoes({true, true, true}),
     3,
     false,
     {L"AB POS1", L"X\" \"-reC:\\stolen.txt", L"X \\\" -x\\"}},
    {"print_files_with_long_names_outside_the_ansi_code_page",
     {},
     nullptr,
     NoMessage(),
     Echoes({true, true, true}),
     3,
     false,
     {L"D1", L"D2", L"D3"},
     {std::wstring(100, L'ж') + L"_x.prn",
      L"φάκελος " + std::wstring(120, L'a') + L"\\日本 " + std::wstring(120, L'b') + L"_x.prn", L"Ελληνικά 😀_x.prn"}},
};

class FaultsClient : public testing::TestWithParam<ClientCase> {};

// Set in the copy of this program that a case without a client runs in.
bool InAloneCopy()
{
    return !GetEnv(L"VORLA_FAULTS_REPORT").empty();
}

TEST_P(FaultsClient, SubmissionEndsInItsMessageOrSilence)
{
    const ClientCase& c = GetParam();
    if (c.alone && !InAloneCopy()) {
        TempFolder folder;
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        const std::string suite = testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
        EXPECT_EQ(RunAloneCopy(folder / L"alone", FromUtf8(suite + "." + name)), "passed");
        return;
    }

    ClientBench bench(c.directions, c.names);
    std::vector<std::unique_ptr<EnvScope>> settings;
    for (const auto& [name, value] : c.client)
        settings.push_back(std::make_unique<EnvScope>(name, value));
    Keep keep = c.before ? c.before(bench) : Keep();
    const TreeSnapshot before = SnapshotTree(bench.spool);
    const size_t shownBefore = bench.boxes.Texts().size();
    bench.Submit();

    std::vector<std::wstring> shown = bench.boxes.Texts();
    shown.erase(shown.begin(), shown.begin() + static_cast<std::ptrdiff_t>(shownBefore));
    EXPECT_EQ(shown, c.messages(bench));
    const Results results = c.results(bench);
    for (size_t i = 0; i < kRows; ++i) {
        SCOPED_TRACE(i);
        const JobRow& row = bench.form.Jobs().at(i);
        EXPECT_EQ(row.directions, c.directions[i]) << "the Directions stay";
        EXPECT_EQ(row.subItems, results[i] ? 2 : 1);
        if (results[i]) {
            EXPECT_EQ(row.result, *results[i]);
        }
    }
    const std::vector<ClientRun> runs = ReadClientLog(bench.log);
    EXPECT_EQ(runs.size(), c.runs);
    for (const ClientRun& run : runs) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, run.pid);
        if (process) {
            EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "no client is left running";
            CloseHandle(process);
        }
    }

    // Nothing lost: the spool is as it was; the one result file is the only file made, and it goes
    // with the window once nobody holds it.
    EXPECT_EQ(SnapshotTree(bench.spool), before);
    keep.reset();
    settings.clear();
    for (const std::wstring& file : ResultFilesIn(bench.temp))
        EXPECT_EQ(file, bench.ResultFile()) << "no other result file is made";
    bench.EndHolders();
    DestroyWindow(bench.form.Handle());
    EXPECT_TRUE(ResultFilesIn(bench.temp).empty());

    if (InAloneCopy() && !HasFailure())
        WriteBytes(GetEnv(L"VORLA_FAULTS_REPORT"), "passed");
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultsClient, testing::ValuesIn(kClientCases),
                         [](const testing::TestParamInfo<ClientCase>& param) { return std::string(param.param.name); });

// ---- The untranslated-texts file at exit

struct UntranslatedCase {
    const char* name;
    std::function<Keep(const std::wstring& file)> make;
    std::string after;  // the file's bytes afterwards ("<same>": as they were)
};

void PrintTo(const UntranslatedCase& c, std::ostream* os)
{
    *os << c.name;
}

const UntranslatedCase kUntranslatedCases[] = {
    {"larger_than_the_tidy_takes_on",
     [](const std::wstring& file) {
         // Lines, then a hole up to one byte beyond the bound (no disk is spent on it).
         WriteBytes(file, "b\r\na\r\n");
         HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         LARGE_INTEGER end;
         end.QuadPart = static_cast<LONGLONG>(UntranslatedTextsLimit()) + 1;
         EXPECT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h));
         CloseHandle(h);
         return Keep();
     },
     "<same>"},
    {"held_open_for_writing_by_another_process",
     [](const std::wstring& file) {
         WriteBytes(file, "b\na\n");
         auto holder = std::make_shared<FileHolder>(file);
         EXPECT_TRUE(holder->Holding());
         return Keep(holder);
     },
     "<same>"},
    {"a_folder_in_its_place",
     [](const std::wstring& file) {
         MakeFolders(file);
         return Keep();
     },
     "<missing>"},
};

class FaultsUntranslated : public testing::TestWithParam<UntranslatedCase> {};

TEST_P(FaultsUntranslated, TidyNeverLosesTheFile)
{
    const UntranslatedCase& c = GetParam();
    TempFolder folder;
    const std::wstring file = folder / L"undef.txt";
    Keep keep = c.make(file);
    const TreeSnapshot before = SnapshotTree(folder.Path());
    TidyUntranslatedTexts(file);
    keep.reset();
    if (c.after == "<same>")
        EXPECT_EQ(SnapshotTree(folder.Path()), before);
    else
        EXPECT_EQ(ReadBytes(file), c.after);
    EXPECT_EQ(GetFileAttributesW((file + L".new").c_str()), INVALID_FILE_ATTRIBUTES) << "no leftover";
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultsUntranslated, testing::ValuesIn(kUntranslatedCases),
                         [](const testing::TestParamInfo<UntranslatedCase>& param) {
                             return std::string(param.param.name);
                         });

// ---- "Upgrade Vorla" against maps that refuse it

const std::wstring kMaps = machine::kMapsKey;

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RawValue& o) const { return type == o.type && data == o.data; }
};
// Every key below the maps key by its relative path ("" for the maps key), with its values.
using RegistryTree = std::map<std::wstring, std::map<std::wstring, RawValue>>;

void ReadKeyInto(const std::wstring& relative, RegistryTree& tree)
{
    HKEY key = nullptr;
    const std::wstring path = relative.empty() ? kMaps : kMaps + L"\\" + relative;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | machine::kView, &key) != ERROR_SUCCESS)
        return;
    auto& values = tree[relative];
    std::vector<wchar_t> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size()), type = 0, size = 0;
        if (RegEnumValueW(key, i, name.data(), &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        RawValue value{type, std::vector<BYTE>(size)};
        length = static_cast<DWORD>(name.size());
        RegEnumValueW(key, i, name.data(), &length, nullptr, &type, value.data.data(), &size);
        values[std::wstring(name.data(), length)] = value;
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t subkey[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(subkey, length);
    }
    RegCloseKey(key);
    for (const std::wstring& subkey : subkeys)
        ReadKeyInto(relative.empty() ? subkey : relative + L"\\" + subkey, tree);
}

RegistryTree ReadMapsTree()
{
    RegistryTree tree;
    ReadKeyInto(L"", tree);
    return tree;
}

void SetRaw(const std::wstring& relative, const std::wstring& name, DWORD type, const std::vector<BYTE>& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kMaps + L"\\" + relative).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | machine::kView, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

std::vector<BYTE> TextData(const std::wstring& text)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

const wchar_t kWrittenBarcode39[] = L"1;2600;1040;90;*001201;*;0;0;Free 3 of 9 Extended;24;0;0;0;0";

// A map as an older configuration left it: no flags, no second barcode, no QR-code values.
void OldMap(const std::wstring& name, const std::wstring& barcode39 = kWrittenBarcode39)
{
    SetRaw(name, L"Alias", REG_SZ, TextData(L"AB_POS" + name));
    for (const wchar_t* section : {L"\\Master", L"\\Copy"}) {
        SetRaw(name + section, L"Barcode39", REG_SZ, TextData(barcode39));
        SetRaw(name + section, L"Printer", REG_SZ, TextData(L"POS Receipt Printer"));
        SetRaw(name + section, L"Copies", REG_DWORD, {1, 0, 0, 0});
    }
}

void ThreeOldMaps()
{
    for (const wchar_t* name : {L"1", L"2", L"3"})
        OldMap(name);
}

struct UpgradeCase {
    const char* name;
    std::function<void()> maps;           // the maps as the upgrade finds them
    std::function<Keep()> refuse;         // what refuses access to them (may be null)
    std::vector<std::wstring> messages;   // the run's message boxes
    std::vector<std::wstring> upgraded;   // maps that end upgraded
    std::vector<std::wstring> untouched;  // maps left exactly as they were
};

void PrintTo(const UpgradeCase& c, std::ostream* os)
{
    *os << c.name;
}

std::function<Keep()> Locked(const std::wstring& relative, const wchar_t* sddl)
{
    return [relative, sddl] {
        return Hold<machine::KeyLocked>(relative.empty() ? kMaps : kMaps + L"\\" + relative, sddl);
    };
}

std::function<void()> SecondMasterBarcode39(DWORD type, std::vector<BYTE> data)
{
    return [type, data] {
        ThreeOldMaps();
        SetRaw(L"2\\Master", L"Barcode39", type, data);
    };
}

const wchar_t kReadOnly[] = L"D:P(A;;KR;;;WD)";
const wchar_t kNoAccess[] = L"D:P";
const wchar_t kFailedMaps[] = L"Failed to open SOFTWARE\\Kelvane\\Vorla\\maps";
const wchar_t kBadType[] = L"Invalid data type for 'Barcode39'";

const UpgradeCase kUpgradeCases[] = {
    {"maps_key_missing", [] {}, nullptr, {kFailedMaps}, {}, {}},
    {"maps_key_unreadable", ThreeOldMaps, Locked(L"", kNoAccess), {kFailedMaps}, {}, {L"1", L"2", L"3"}},
    {"map_key_refuses_writes",
     ThreeOldMaps,
     Locked(L"2", kReadOnly),
     {std::wstring(kFailedMaps) + L"\\2"},
     {L"1"},
     {L"2", L"3"}},
    {"master_section_refuses_writes",
     ThreeOldMaps,
     Locked(L"2\\Master", kReadOnly),
     {std::wstring(kFailedMaps) + L"\\2\\Master"},
     {L"1"},
     {L"3"}},
    {"barcode39_stored_as_a_number",
     SecondMasterBarcode39(REG_DWORD, {1, 0, 0, 0}),
     nullptr,
     {kBadType},
     {L"1"},
     {L"3"}},
    {"barcode39_stored_as_binary",
     SecondMasterBarcode39(REG_BINARY, {'1', ';', '2'}),
     nullptr,
     {kBadType},
     {L"1"},
     {L"3"}},
    {"barcode39_stored_as_several_texts",
     SecondMasterBarcode39(REG_MULTI_SZ, TextData(std::wstring(L"1;2600\0x;y\0", 11))),
     nullptr,
     {kBadType},
     {L"1"},
     {L"3"}},
    {"barcode39_stored_as_an_expandable_text",
     SecondMasterBarcode39(REG_EXPAND_SZ, TextData(L"1;2600;1040;90;%TEMP%")),
     nullptr,
     {L"Done!"},
     {L"1", L"2", L"3"},
     {}},
    {"barcode39_of_100000_characters",
     SecondMasterBarcode39(REG_SZ, TextData(L"1;2;3;4;" + std::wstring(100000, L'*'))),
     nullptr,
     {L"Done!"},
     {L"1", L"2", L"3"},
     {}},
    {"barcode39_without_its_terminating_nul",
     SecondMasterBarcode39(REG_SZ, {'1', 0, ';', 0, '2', 0}),
     nullptr,
     {L"Done!"},
     {L"1", L"2", L"3"},
     {}},
    {"flags_stored_as_other_types",
     [] {
         ThreeOldMaps();
         SetRaw(L"2", L"ForwardEafdss", REG_SZ, TextData(L"no"));
         SetRaw(L"2", L"SaveImage", REG_BINARY, {7});
     },
     nullptr,
     {L"Done!"},
     {L"1", L"2", L"3"},
     {}},
    {"maps_with_names_that_are_no_numbers",
     [] {
         for (const wchar_t* name : {L"Χάρτης 1", L"x y", L"007"})
             OldMap(name);
     },
     nullptr,
     {L"Done!"},
     {L"Χάρτης 1", L"x y", L"007"},
     {}},
    {"map_without_sections",
     [] { SetRaw(L"1", L"Alias", REG_SZ, TextData(L"AB_POS1")); },
     nullptr,
     {L"Done!"},
     {L"1"},
     {}},
};

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

const std::set<std::wstring> kUpgradeWrites = {L"ForwardEafdss", L"SaveImage",  L"Barcode239",
                                               L"QrCodePosX",    L"QrCodePosY", L"QrCodeWidth"};

std::wstring TextOf(const RawValue& value)
{
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

class BranchFaultsUpgrade : public testing::TestWithParam<UpgradeCase> {
protected:
    void SetUp() override { machine::DeleteTree(L"SOFTWARE\\Kelvane", L"Vorla"); }
    void TearDown() override { machine::DeleteTree(L"SOFTWARE\\Kelvane", L"Vorla"); }
};

TEST_P(BranchFaultsUpgrade, UpgradeStopsAtItsFirstFailureAndLosesNothing)
{
    const UpgradeCase& c = GetParam();
    c.maps();
    const bool mapsKeyThere = machine::KeyExists(kMaps);
    const RegistryTree before = ReadMapsTree();
    Keep keep = c.refuse ? c.refuse() : Keep();

    TMainForm form;
    form.Create(nullptr, nullptr, nullptr);
    MessageBoxWatcher boxes;
    SendMessageW(form.Handle(), WM_COMMAND, IdUpgradeVorla, 0);
    EXPECT_EQ(boxes.Texts(), c.messages);
    keep.reset();
    const RegistryTree after = ReadMapsTree();
    EXPECT_EQ(machine::KeyExists(kMaps), mapsKeyThere) << "nothing is created when the maps cannot be read";

    // Nothing lost: no key or value goes, and only the values the upgrade writes are new or changed.
    for (const auto& [key, values] : before) {
        SCOPED_TRACE(Utf8(key));
        ASSERT_TRUE(after.count(key));
        for (const auto& [name, value] : values) {
            ASSERT_TRUE(after.at(key).count(name)) << Utf8(name);
            if (!kUpgradeWrites.count(name) || name == L"ForwardEafdss" || name == L"SaveImage") {
                EXPECT_TRUE(after.at(key).at(name) == value) << Utf8(name);
            }
        }
    }
    for (const auto& [key, values] : after) {
        SCOPED_TRACE(Utf8(key));
        EXPECT_TRUE(before.count(key) || EndsWith(key, L"\\Master") || EndsWith(key, L"\\Copy"))
            << "only sections are made";
        for (const auto& [name, value] : values)
            if (!before.count(key) || !before.at(key).count(name)) {
                EXPECT_TRUE(kUpgradeWrites.count(name)) << Utf8(name);
            }
    }
    for (const std::wstring& map : c.untouched) {
        SCOPED_TRACE(Utf8(map));
        for (const auto& [key, values] : after)
            if (key == map || key.rfind(map + L"\\", 0) == 0) {
                EXPECT_TRUE(before.count(key) && before.at(key) == values) << Utf8(key);
            }
    }
    for (const std::wstring& map : c.upgraded) {
        SCOPED_TRACE(Utf8(map));
        ASSERT_TRUE(after.count(map));
        EXPECT_TRUE(after.at(map).count(L"ForwardEafdss") && after.at(map).count(L"SaveImage"));
        for (const wchar_t* section : {L"\\Master", L"\\Copy"}) {
            ASSERT_TRUE(after.count(map + section));
            const auto& values = after.at(map + section);
            const std::wstring barcode39 = values.count(L"Barcode39") ? TextOf(values.at(L"Barcode39")) : L"";
            ASSERT_TRUE(values.count(L"Barcode239"));
            EXPECT_EQ(TextOf(values.at(L"Barcode239")), Barcode239From(barcode39));
            EXPECT_EQ(values.at(L"QrCodePosX"), (RawValue{REG_DWORD, {210, 0, 0, 0}}));
            EXPECT_EQ(values.at(L"QrCodePosY"), (RawValue{REG_DWORD, {12, 0, 0, 0}}));
            EXPECT_EQ(values.at(L"QrCodeWidth"), (RawValue{REG_DWORD, {30, 0, 0, 0}}));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, BranchFaultsUpgrade, testing::ValuesIn(kUpgradeCases),
                         [](const testing::TestParamInfo<UpgradeCase>& param) { return std::string(param.param.name); });

// ---- "Configure Vorla" on a machine that refuses parts of it

struct ConfigureCase {
    const char* name;
    // Breaks the machine or the entries; runs before the dialog opens.
    std::function<Keep(machine::BranchMachine&, machine::ConfigSession&)> arrange;
    std::function<std::vector<std::wstring>(const machine::BranchMachine&)> messages;
    bool closes;                        // a machine check failed: the dialog closed itself
    std::vector<std::wstring> aliases;  // the maps in the registry afterwards, in order
    bool productWritten;
    bool imagesKept = false;  // address.bmp files that were there keep their bytes too
    std::function<void(const machine::BranchMachine&)> also = nullptr;
};

void PrintTo(const ConfigureCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::vector<std::wstring> kAllMaps = {L"AB_POS1",  L"AB_POS2",   L"AB_POS4",
                                            L"AB_BACK9", L"AB_BACK10", L"AB_BACK12"};

std::function<std::vector<std::wstring>(const machine::BranchMachine&)> Says(std::vector<std::wstring> texts)
{
    return [texts](const machine::BranchMachine&) { return texts; };
}

std::wstring CannotCreateFirstImage(const machine::BranchMachine& m)
{
    return L"Cannot create file " + m.MapFolder(L"001201") + L"\\address.bmp";
}

std::wstring MissingTemplate(const wchar_t* name)
{
    return L"Δεν βρέθηκε το αρχείο " + ProgramFolder() + L"\\" + name;
}

// A first run made the folders and images; then something happens to the first image.
Keep AfterAFirstRun(machine::ConfigSession& s, const std::function<Keep(const std::wstring& image)>& then,
                    const machine::BranchMachine& m)
{
    EXPECT_EQ(s.RunOk().messages, std::vector<std::wstring>{machine::kDone});
    return then(m.MapFolder(L"001201") + L"\\address.bmp");
}

const ConfigureCase kConfigureCases[] = {
    {"product_key_refuses_writes",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         machine::WriteOldMaps(2);
         return Hold<machine::KeyLocked>(machine::kVorlaKey);
     },
     Says({L"Failed to set data for 'ps2pdf_cmd'"}),
     false,
     {L"OLD1", L"OLD2"},
     false},
    // The run deletes only the maps it no longer writes (7 and 8), before it writes any map.
    {"map_key_refuses_deletion",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         machine::WriteOldMaps(8);
         return Hold<machine::KeyLocked>(std::wstring(machine::kMapsKey) + L"\\7");
     },
     Says({L"Failed to delete key '7'"}),
     false,
     {L"OLD1", L"OLD2", L"OLD3", L"OLD4", L"OLD5", L"OLD6", L"OLD7", L"OLD8"},
     true},
    // The maps key itself is never deleted: one that refuses it stops nothing.
    {"maps_key_refuses_deletion",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         machine::WriteOldMaps(6);
         return Hold<machine::KeyLocked>(machine::kMapsKey);
     },
     Says({machine::kDone}),
     false,
     kAllMaps,
     true},
    {"map_folder_cannot_be_created",
     [](machine::BranchMachine& m, machine::ConfigSession&) {
         WriteBytes(m.MapFolder(L"001201"), "a file of the technician's where the first folder would go");
         return Keep();
     },
     [](const machine::BranchMachine& m) {
         return std::vector<std::wstring>{CannotCreateFirstImage(m), machine::kDone};
     },
     false, kAllMaps, true},
    {"address_bmp_held_by_another_process",
     [](machine::BranchMachine& m, machine::ConfigSession& s) {
         return AfterAFirstRun(
             s,
             [](const std::wstring& image) {
                 auto holder = std::make_shared<FileHolder>(image);
                 EXPECT_TRUE(holder->Holding());
                 return Keep(holder);
             },
             m);
     },
     [](const machine::BranchMachine& m) {
         return std::vector<std::wstring>{CannotCreateFirstImage(m), machine::kDone};
     },
     false, kAllMaps, true, true},
    {"pos_form_template_missing",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         return Hold<machine::Hidden>(ProgramFolder() + L"\\abPOS.xml");
     },
     [](const machine::BranchMachine&) {
         return std::vector<std::wstring>{MissingTemplate(L"abPOS.xml"), machine::kDone};
     },
     false,
     {L"AB_BACK9", L"AB_BACK10", L"AB_BACK12"},
     true},
    {"back_form_template_missing",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         return Hold<machine::Hidden>(ProgramFolder() + L"\\abBACK.xml");
     },
     [](const machine::BranchMachine&) {
         return std::vector<std::wstring>{MissingTemplate(L"abBACK.xml"), machine::kDone};
     },
     false,
     {L"AB_POS1", L"AB_POS2", L"AB_POS4"},
     true},
    {"both_form_templates_missing",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         return Keep(std::make_shared<std::pair<machine::Hidden, machine::Hidden>>(
             std::piecewise_construct, std::forward_as_tuple(ProgramFolder() + L"\\abPOS.xml"),
             std::forward_as_tuple(ProgramFolder() + L"\\abBACK.xml")));
     },
     [](const machine::BranchMachine&) {
         return std::vector<std::wstring>{MissingTemplate(L"abPOS.xml"), MissingTemplate(L"abBACK.xml"),
                                          machine::kDone};
     },
     false,
     {},
     true},
    {"logo_template_missing",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         return Hold<machine::Hidden>(ProgramFolder() + L"\\ab1.bmp");
     },
     Says({machine::kDone}), false, kAllMaps, true, false,
     [](const machine::BranchMachine& m) {
         EXPECT_EQ(machine::FolderEntries(m.MapFolder(L"001201")),
                   (std::set<std::wstring>{L"generic_ab.esc", L"address.bmp", L"ab_POS.xml"}));
     }},
    {"escape_file_missing",
     [](machine::BranchMachine& m, machine::ConfigSession&) { return Hold<machine::Hidden>(m.escFile); },
     [](const machine::BranchMachine& m) { return std::vector<std::wstring>{L"Δεν βρέθηκε το αρχείο " + m.escFile}; },
     true,
     {},
     false},
    {"barcode_font_missing",
     [](machine::BranchMachine& m, machine::ConfigSession&) {
         m.UnloadFonts();
         return Keep();
     },
     Says({L"Εγκαταστήστε πρώτα τo font Free 3 of 9 Extended"}),
     true,
     {},
     false},
    {"no_printers_at_all",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         for (const std::wstring& name : machine::PrinterKeys())
             machine::RemovePrinter(name);
         return Keep();
     },
     Says({L"Εγκαταστήστε πρώτα τον εκτυπωτή CutePDF Writer!"}),
     true,
     {},
     false},
    {"pdf_printer_missing",
     [](machine::BranchMachine&, machine::ConfigSession&) {
         machine::RemovePrinter(L"CutePDF Writer");
         return Keep();
     },
     Says({L"Εγκαταστήστε πρώτα τον εκτυπωτή CutePDF Writer!"}),
     true,
     {},
     false},
    {"ghostscript_missing",
     [](machine::BranchMachine& m, machine::ConfigSession&) { return Hold<machine::Hidden>(m.ghostscript); },
     Says({L"Πρέπει να εγκαταστήσετε το GhostScript 9.0 πρώτα!"}),
     true,
     {},
     false},
    {"vorla_folder_missing",
     [](machine::BranchMachine& m, machine::ConfigSession&) { return Hold<machine::Hidden>(m.installDir); },
     [](const machine::BranchMachine& m) {
         return std::vector<std::wstring>{L"Ο κατάλογος " + m.installDir + L" δεν υπάρχει!"};
     },
     true,
     {},
     false},
    {"files_already_in_a_map_folder_are_kept",
     [](machine::BranchMachine& m, machine::ConfigSession&) {
         WriteBytes(m.MapFolder(L"001201") + L"\\ab_POS.xml", "<form of the technician's own/>");
         WriteBytes(m.MapFolder(L"001201") + L"\\generic_ab.esc", "escapes of the technician's own");
         return Keep();
     },
     Says({machine::kDone}), false, kAllMaps, true},
    {"series_entries_that_are_no_numbers",
     [](machine::BranchMachine&, machine::ConfigSession& s) {
         SetWindowTextW(s.dialog.EditPos(), L"x,,-3");
         SetWindowTextW(s.dialog.EditBack(), L"99999999999, 9");
         return Keep();
     },
     Says({L"Σειρές POS: η 1η σειρά «x» δεν είναι ακέραιος αριθμός χωρίς πρόσημο!"}),
     false,
     {},
     false,
     true,
     [](const machine::BranchMachine& m) { EXPECT_EQ(m.NewEntries(), std::set<std::wstring>{}); }},
    {"header_lines_that_never_fit",
     [](machine::BranchMachine&, machine::ConfigSession& s) {
         std::wstring line(3000, L'Ω');
         SetWindowTextW(s.dialog.Memo1(),
                        (line + L":\r\n" + line + L"\r\n" + line + L"\r\n" + line + L"\r\n" + line).c_str());
         return Keep();
     },
     Says({machine::kDone}), false, kAllMaps, true, false,
     [](const machine::BranchMachine& m) {
         EXPECT_EQ(ReadBytes(m.MapFolder(L"001201") + L"\\address.bmp").size(), 50854u) << "487 x 102, 8 bits";
     }},
};

class BranchFaultsConfigure : public testing::TestWithParam<ConfigureCase> {};

TEST_P(BranchFaultsConfigure, ConfigurationEndsInItsMessageAndLosesNothing)
{
    const ConfigureCase& c = GetParam();
    machine::BranchMachine machine;
    machine::ConfigSession session;
    Keep keep = c.arrange(machine, session);
    const TreeSnapshot before = SnapshotTree(machine.installDir);

    machine::Outcome run = session.Run({[&] {
                                            if (machine::Entries(session.dialog.ComboPrn()).size() == 3)
                                                session.ChoosePrinters();
                                        },
                                        [&] { session.Press(session.dialog.BitBtnOk()); }});
    EXPECT_EQ(run.messages, c.messages(machine));
    EXPECT_EQ(run.closed, c.closes);
    keep.reset();
    EXPECT_EQ(machine::Aliases(), c.aliases);
    EXPECT_EQ(machine::ReadText(machine::kVorlaKey, L"ps2pdf_cmd").has_value(), c.productWritten);

    // Nothing lost: every file that was in Vorla's folder keeps its bytes (the header images, which
    // each run draws anew, aside), and no file or folder goes.
    const TreeSnapshot after = SnapshotTree(machine.installDir);
    for (const auto& [name, description] : before) {
        SCOPED_TRACE(Utf8(name));
        ASSERT_TRUE(after.count(name));
        const bool image = EndsWith(name, L"address.bmp");
        if (!image || c.imagesKept) {
            EXPECT_EQ(after.at(name), description);
        }
    }
    if (c.also)
        c.also(machine);
}

// The document's changes, as the text between "changes": and the backup.
std::string ChangesOf(const std::string& document)
{
    const size_t from = document.find("\"changes\":"), to = document.find(",\"backup\":");
    return from == std::string::npos || to == std::string::npos ? "" : document.substr(from, to - from);
}

// The registry paths below the maps key that a document names: the changes' paths, or the keys
// of /check's differences.
std::set<std::string> MapPathsOf(const std::string& document, bool differences)
{
    static const std::regex change("\"path\":\"(HKEY_LOCAL_MACHINE(?:[^\"\\\\]|\\\\.)*)\"");
    static const std::regex difference(
        "\"code\":\"maps-differ\",\"text\":\"(?:[^\"\\\\]|\\\\.)*\",\"key\":\"((?:[^\"\\\\]|\\\\.)*)\"");
    std::set<std::string> paths;
    const std::string below = "\\\\maps\\\\";
    for (std::sregex_iterator i(document.begin(), document.end(), differences ? difference : change), end; i != end; ++i)
        if ((*i)[1].str().find(below) != std::string::npos)
            paths.insert((*i)[1].str());
    return paths;
}

// On each machine of the table, the run changes exactly what its preview said it would, and
// a preview afterwards finds nothing left to change; /check with the same request names the
// same places in the maps as the preview. /force lets both go ahead where only
// problems would stop them; a preview that would fail (exit 1) has no run to compare.
TEST_P(BranchFaultsConfigure, TheRunChangesWhatItsPreviewSaid)
{
    machine::BranchMachine machine;
    machine::ConfigSession session;
    const bool fontWanted = std::string(GetParam().name) != "barcode_font_missing";
    const std::wstring font = fontWanted ? machine::InstallBarcodeFontForEveryProcess(L"vorla-barcode-faults.ttf") : std::wstring();
    ASSERT_EQ(font.empty(), !fontWanted);
    Keep keep = GetParam().arrange(machine, session);
    TempFolder temp;
    const std::wstring header = temp / L"header.txt";
    WriteBytes(header, Utf8(machine::kHeader));
    const std::wstring command = L"/configure /branch:12 /pos:1,2,4 /back:9,10,12 \"/posprinter:" +
                                 std::wstring(machine::kPosPrinter) + L"\" \"/backprinter:" + machine::kBackPrinter +
                                 L"\" \"/header:" + header + L"\" /force /json";
    const ConsoleRun preview = RunConsole(command + L" /whatif");
    if (preview.exitCode != 1) {
        const std::wstring request = command.substr(11, command.find(L"\"/header:") - 11);
        const ConsoleRun check = RunConsole(L"/check " + request + L"/json");
        EXPECT_EQ(MapPathsOf(check.out, true), MapPathsOf(ChangesOf(preview.out), false)) << check.out;
        const ConsoleRun run = RunConsole(command);
        EXPECT_EQ(ChangesOf(run.out), ChangesOf(preview.out)) << run.err;
        EXPECT_NE(ChangesOf(run.out), "") << run.out;
        const bool changed = preview.out.find("\"changed\":true") != std::string::npos;
        EXPECT_EQ(changed, ChangesOf(preview.out) != "\"changes\":[]");
        const ConsoleRun again = RunConsole(command + L" /whatif");
        EXPECT_EQ(ChangesOf(again.out), "\"changes\":[]") << "what the run left differs from its plan";
    }
    keep.reset();
    if (fontWanted)
        DeleteFileW(font.c_str());
}

INSTANTIATE_TEST_SUITE_P(Faults, BranchFaultsConfigure, testing::ValuesIn(kConfigureCases),
                         [](const testing::TestParamInfo<ConfigureCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
