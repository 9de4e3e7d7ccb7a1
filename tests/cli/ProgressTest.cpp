#include "cli/Progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// What a ProgressLine writes, run through `use`.
template <typename Use>
std::string written(bool quiet, bool terminal, Use use)
{
    std::ostringstream out;
    {
        zovo::ProgressLine progress("zovorudovu demo", quiet, out, terminal);
        use(progress);
    }
    return out.str();
}

TEST(ProgressLine, OneLineInPlaceOnATerminalPlainLinesElsewhereNothingWhenQuiet)
{
    auto twoSteps = [](zovo::ProgressLine& p) {
        p.update("frame 30/60");
        *p.stream() << "frame 60/60\n";
    };
    EXPECT_EQ(written(false, true, twoSteps), "\r\033[Kzovorudovu demo: frame 30/60\r\033[Kzovorudovu demo: frame 60/60\n")
        << "rewritten in place, and ended with a newline when the work ends";
    EXPECT_EQ(written(false, false, twoSteps), "zovorudovu demo: frame 30/60\nzovorudovu demo: frame 60/60\n");
    EXPECT_EQ(written(true, true, [](zovo::ProgressLine& p) {
                  p.update("frame 1");
                  EXPECT_EQ(p.stream(), nullptr) << "writers given no stream stay silent";
              }),
              "");
}

} // namespace
