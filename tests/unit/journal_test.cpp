#include <gtest/gtest.h>

#include "jobs/journal.h"

// The last event of a key decides; a line cut short by a kill and lines of no known shape are
// passed over; every character of a field comes back; a settled job is submitted earlier, or free.
TEST(Journal, TheLastEventOfEachFileDecidesAndCutLinesArePassedOver)
{
    const std::wstring odd = L"a%09\tb\r\nc %";
    auto line = [](const wchar_t* time, JournalEvent event, const wchar_t* key, std::wstring_view detail = {}) {
        return JournalLine(time, event, key, L"f", detail);
    };
    const std::string journal =
        JournalRunLine(L"t0", "4b1c9e2a-0d3f-4e5a-8b6c-7d8e9f0a1b2c") + line(L"t1", JournalEvent::Started, L"K1") + line(L"t2", JournalEvent::Ended, L"K1", odd) +
        line(L"t3", JournalEvent::Started, L"K2") + line(L"t4", JournalEvent::Started, L"K3") +
        line(L"t5", JournalEvent::NotStarted, L"K3") + "t6\tended\tK2\n" + line(L"t7", JournalEvent::Started, L"K5") +
        line(L"t8", JournalEvent::Settled, L"K5", kSettledSubmitted) + line(L"t7", JournalEvent::Started, L"K6") +
        line(L"t9", JournalEvent::Settled, L"K6", kSettledNotSubmitted) + "t7\tstarted\tK4\tf4";
    const auto records = ReadJournal(journal);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records.at(L"K3").state, RowState::NotSubmitted);
    EXPECT_EQ(JournalRecordText(records.at(L"K6")), L"its start, settled as not submitted at t9 (the next run sends it)");
    EXPECT_EQ(records.at(L"K1").state, RowState::SubmittedEarlier);
    EXPECT_EQ(records.at(L"K1").answer, odd);
    EXPECT_EQ(records.at(L"K2").state, RowState::Uncertain);
    EXPECT_EQ(records.at(L"K5").state, RowState::SubmittedEarlier);
    EXPECT_EQ(records.at(L"K5").answer, L"settled by hand as submitted at t8");
    EXPECT_EQ(JournalLine(L"t", JournalEvent::Ended, L"K", L"f", L"x\ty"), "t\tended\tK\tf\tx%09y\n");
}

// The events keep the lines that earlier versions wrote, field for field, so that a journal
// reads the same both ways between versions: an older reader counts the fields of each line.
TEST(Journal, EventsKeepTheLinesOfEarlierVersions)
{
    const std::string earlier = "t1\tstarted\tK1\tf1\nt2\tended\tK1\tf1\tanswer\nt3\tnot started\tK3\tf3\n";
    EXPECT_EQ(JournalLine(L"t1", JournalEvent::Started, L"K1", L"f1") + JournalLine(L"t2", JournalEvent::Ended, L"K1", L"f1", L"answer") +
                  JournalLine(L"t3", JournalEvent::NotStarted, L"K3", L"f3"),
              earlier);
    const auto records = ReadJournal(earlier);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records.at(L"K1").answer, L"answer");
}

// A file is known by each of its keys, and the later line decides: an event under the file's
// identity outweighs an earlier one under the key of a path that an earlier version wrote.
TEST(Journal, TheLaterLineOfAnyKeyOfAFileDecides)
{
    const std::string journal = JournalLine(L"t1", JournalEvent::Started, L"C:\\S\\J.PRN", L"C:\\s\\j.prn") +
                                JournalLine(L"t2", JournalEvent::Settled, L"ID 1:2:3", L"S:\\j.prn", kSettledNotSubmitted) +
                                JournalLine(L"t3", JournalEvent::Started, L"ID 1:9:3", L"C:\\s\\k.prn") +
                                JournalLine(L"t4", JournalEvent::Ended, L"C:\\S\\K.PRN", L"C:\\s\\k.prn", L"ok");
    const auto records = ReadJournal(journal);
    const JournalRecord* settled = RecordOf(records, {L"ID 1:2:3", L"C:\\S\\J.PRN"});
    ASSERT_TRUE(settled);
    EXPECT_EQ(settled->state, RowState::NotSubmitted);
    const JournalRecord* ended = RecordOf(records, {L"ID 1:9:3", L"C:\\S\\K.PRN"});
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->answer, L"ok");
    EXPECT_EQ(RecordOf(records, {L"ID 7:7:7", L"C:\\S\\L.PRN"}), nullptr);
}
