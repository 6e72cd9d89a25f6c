#include <stdexcept>

#include <gtest/gtest.h>

#include "app/command_result.h"

// A failure that escapes a command's steps ends it as unexpected-error, keeping what the steps
// gathered before it: a fleet tool still sees the warning that came first.
TEST(Guarded, AnExceptionKeepsWhatWasGatheredBeforeIt)
{
    const CommandResult result = Guarded([](CommandResult& r) -> int {
        r.outcome.messages.push_back({MessageKind::Warning, codes::kPrintersUnreadable, L"first"});
        throw std::runtime_error("second");
    });
    ASSERT_EQ(result.outcome.messages.size(), 2u);
    EXPECT_EQ(result.outcome.messages[0].text, L"first");
    EXPECT_EQ(result.outcome.messages[1].code, codes::kUnexpectedError);
    EXPECT_EQ(ExitCodeOf(result), ExitFailed);
}
