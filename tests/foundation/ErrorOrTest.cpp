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

} // namespace

TEST(ErrorOr, HoldsEitherAMoveOnlyValueOrTheMessage)
{
    ErrorOr<std::unique_ptr<int>> good = makeNumber(false);
    ASSERT_TRUE(good);
    EXPECT_EQ(**good, 7);
    std::unique_ptr<int> taken = std::move(good).value();
    ASSERT_NE(taken, nullptr) << "the value moves out, not a copy";
    EXPECT_EQ(*taken, 7);

    ErrorOr<std::unique_ptr<int>> bad = makeNumber(true);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error(), "numbers.txt: line 2: not a number");
    ErrorOr<std::unique_ptr<int>> moved = std::move(bad);
    EXPECT_EQ(moved.error(), "numbers.txt: line 2: not a number");
}

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
