#include <gtest/gtest.h>

#include "jobs/journal.h"

// The last event of a key decides; a line cut short by a kill and lines of no known shape are
// passed over; every character of a field comes back.
TEST(Journal, TheLastEventOfEachFileDecidesAndCutLinesArePassedOver)
{
    const std::wstring odd = L"a%09\tb\r\nc %";
    const std::string journal =
        JournalLine(L"t1", JournalEvent::Started, L"K1", L"f1") + JournalLine(L"t2", JournalEvent::Ended, L"K1", L"f1", odd) +
        JournalLine(L"t3", JournalEvent::Started, L"K2", L"f2") + JournalLine(L"t4", JournalEvent::Started, L"K3", L"f3") +
        JournalLine(L"t5", JournalEvent::NotStarted, L"K3", L"f3") + "t6\tended\tK2\n" + "t7\tstarted\tK4\tf4";
    const auto records = ReadJournal(journal);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records.at(L"K1").state, RowState::SubmittedEarlier);
    EXPECT_EQ(records.at(L"K1").answer, odd);
    EXPECT_EQ(records.at(L"K2").state, RowState::Uncertain);
    EXPECT_EQ(JournalLine(L"t", JournalEvent::Ended, L"K", L"f", L"x\ty"), "t\tended\tK\tf\tx%09y\n");
}
