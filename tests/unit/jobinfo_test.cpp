#include <gtest/gtest.h>

#include "jobs/jobinfo.h"

TEST(JobInfoFileName, RemovesSixCharactersAndAppendsInfoSuffix)
{
    EXPECT_EQ(JobInfoFileName(L"C:\\jobs\\job_x.prn"), L"C:\\jobs\\job_i.pri");
    EXPECT_EQ(JobInfoFileName(L"C:\\jobs\\job_i.prn"), L"C:\\jobs\\job_i.pri");
    EXPECT_EQ(JobInfoFileName(L"C:\\jobs\\report.prn"), L"C:\\jobs\\repo_i.pri");
    EXPECT_EQ(JobInfoFileName(L"ab.prn"), L"_i.pri");
}

TEST(Directive, PrefixTestIsCaseInsensitiveAndExact)
{
    struct Case {
        const wchar_t* value;
        bool directive;
    };
    const Case cases[] = {
        {L"FWDVORLA\"a:b:c", true}, {L"fwdvorla\"a:b:c", true}, {L"FWDVORLAX", true},
        {L" FWDVORLA\"a:b:c", false}, {L"FWDVORL", false},      {L"", false},
        {L"PRINT", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.value)));
        EXPECT_EQ(IsForwardingDirective(c.value), c.directive);
    }
}

TEST(Directive, DestinationIsTheFourthToken)
{
    struct Case {
        const wchar_t* value;
        const wchar_t* destination;
    };
    const Case cases[] = {
        {L"FWDVORLA\"a:b:c", L"c"},
        {L"FWDVORLA\"a:b:c:d", L"c"},            // text after the destination is ignored
        {L"FWDVORLA\"a:b:c\td", L"c"},           // a tab ends the destination too
        {L"FWDVORLA\"a::b:::c", L"c"},           // runs of delimiters count as one
        {L"FWDVORLA\"a:b", L""},                 // three tokens only
        {L"FWDVORLA a:b:c", L""},                // no double quote: token 1 takes everything
        {L"FWDVORLA\"\"a:b:c", L"c"},            // a run of quotes counts as one
        {L"FWDVORLA\"a\"x:b:c", L"c"},           // quotes are ordinary inside later tokens
        {L"FWDVORLA\"a:b\tx:c", L"c"},           // a tab is ordinary in tokens 2 and 3... 
        {L"FWDVORLA\"a:b:\tc", L"c"},            // ...and skipped before the destination
        {L"FWDVORLA\"a:b:c:", L"c"},
        {L"FWDVORLA\"a:b:", L""},
        {L"FWDVORLA\"AB:1:AB_POS1 extra", L"AB_POS1 extra"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.value)));
        EXPECT_EQ(DirectiveDestination(c.value), c.destination);
    }
    EXPECT_EQ(CopyDirection(L"c"), L"c_COPY");
}

// The scanner must give the same answer however the file's bytes are cut into pieces.
static std::string ScanInPieces(const std::string& bytes, size_t piece)
{
    EntryScanner scanner("ToDoStr");
    for (size_t i = 0; i < bytes.size(); i += piece)
        if (scanner.Feed(std::string_view(bytes).substr(i, piece)))
            break;
    return scanner.Value();
}

TEST(EntryScanner, FindsTheFirstToDoStrLine)
{
    struct Case {
        std::string bytes;
        std::string value;
    };
    const Case cases[] = {
        {"Printer=X\r\nToDoStr=FWDVORLA\"a:b:c\r\nCopies=1\r\n", "FWDVORLA\"a:b:c"},
        {"todostr=lower\r\n", "lower"},                          // name in any letter case
        {" ToDoStr=x\r\n", ""},                                  // a blank before the name
        {"ToDoStr =x\r\n", ""},                                  // a blank before the "="
        {"ToDoStr=a=b=c\n", "a=b=c"},                            // the value keeps later "="
        {"ToDoStr=first\nToDoStr=second\n", "first"},            // the first line counts
        {"ToDoStrX=no\nToDoStr=yes", "yes"},                     // longer names do not match
        {"ToDo=no\rToDoStr=cr-only\rX=1", "cr-only"},            // lone CR ends lines
        {std::string("A=1\0ToDoStr=hidden\n", 19), ""},         // NUL ends the text
        {std::string("ToDoStr=ab\0cd\n", 14), "ab"},
        {"ToDoStr\nToDoStr=after-no-equals", "after-no-equals"}, // a line without "=" is no entry
        {"ToDoStr=", ""},
        {"", ""},
        {"X=\r\n\r\nToDoStr=\xE1\xE2\r\n", "\xE1\xE2"},          // bytes stay bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(4096)})
            EXPECT_EQ(ScanInPieces(c.bytes, piece), c.value) << "piece " << piece;
    }
}

TEST(EntryScanner, CRLFSplitAcrossPiecesIsOneLineBreak)
{
    // "X=1\r" then "\nToDoStr=v": the LF belongs to the CR before it, not a new empty line.
    EntryScanner scanner("ToDoStr");
    scanner.Feed("X=1\r");
    scanner.Feed("\nToDoStr=v");
    EXPECT_EQ(scanner.Value(), "v");
}

TEST(EntryScanner, KeepsBoundedMemoryButFindsTheDirectiveInHugeFiles)
{
    // A huge file of other lines before the entry: it is still found.
    std::string junk(5 * 1024 * 1024, 'x');
    std::string bytes = "Junk=" + junk + "\r\nToDoStr=FWDVORLA\"a:b:DEST\r\n";
    EXPECT_EQ(ScanInPieces(bytes, 65536), "FWDVORLA\"a:b:DEST");

    // A huge value is cut at the cap; its leading part, where the destination stands, is whole.
    std::string value = "FWDVORLA\"a:b:DEST:" + std::string(1024 * 1024, 'y');
    std::string kept = ScanInPieces("ToDoStr=" + value + "\n", 65536);
    EXPECT_EQ(kept.size(), EntryScanner::MaxValueBytes);
    EXPECT_EQ(kept, value.substr(0, EntryScanner::MaxValueBytes));
}
