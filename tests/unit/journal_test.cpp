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
    ASSERT_EQ(records.size(), 3u);
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
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.at(L"K1").answer, L"answer");
}
