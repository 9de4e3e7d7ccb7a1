#include "foundation/ErrorOr.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using zovo::Error;
using zovo::ErrorOr;

namespace {

ErrorOr<std::unique_ptr<int>> makeNumber(bool fail)
{
    if (fail) return Error{"numbers.txt: line 2: not a number"};
    return std::make_unique<int>(7);
}

// Adds one to a number read by makeNumber, after a check that may fail; `steps` counts how far it got.
ErrorOr<std::unique_ptr<int>> addOne(bool failRead, bool failCheck, int& steps)
{
    std::unique_ptr<int> number = TRY(makeNumber(failRead));
    ++steps;
    TRY(failCheck ? ErrorOr<void>(Error{"numbers.txt: too large"}) : ErrorOr<void>());
    ++steps;
    ++*number;
    return number;
}

} // namespace

TEST(ErrorOr, AskingForTheWrongSideThrowsInsteadOfReadingIt)
{
    ErrorOr<std::string> good = std::string("text");
    ErrorOr<std::string> bad = Error{"why"};
    EXPECT_THROW((void)good.error(), std::logic_error);
    EXPECT_THROW((void)bad.value(), std::logic_error);
    EXPECT_THROW((void)bad->size(), std::logic_error);

    ErrorOr<void> done;
    ErrorOr<void> failed = Error{"out.png: cannot write"};
    EXPECT_TRUE(done);
    EXPECT_THROW((void)done.error(), std::logic_error);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error(), "out.png: cannot write");
}

TEST(ErrorOr, TryHandsOnTheValueOrReturnsTheFirstError)
{
    struct Case {
        bool failRead, failCheck;
        const char* error; // nullptr: 8 comes back
        int steps;
    };
    for (const Case& c : {Case{false, false, nullptr, 2}, Case{true, false, "numbers.txt: line 2: not a number", 0},
                          Case{false, true, "numbers.txt: too large", 1}}) {
        int steps = 0;
        ErrorOr<std::unique_ptr<int>> result = addOne(c.failRead, c.failCheck, steps);
        EXPECT_EQ(steps, c.steps) << "nothing after a failed TRY runs";
        if (c.error) {
            ASSERT_FALSE(result);
            EXPECT_EQ(result.error(), c.error);
        } else {
            ASSERT_TRUE(result);
            EXPECT_EQ(**result, 8);
        }
    }
}
