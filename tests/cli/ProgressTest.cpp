#include "cli/Progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// What a ProgressLine writes to a file, run through `use`.
template <typename Use>
std::string written(bool quiet, bool terminal, Use use)
{
    std::FILE* file = std::tmpfile();
    {
        zovo::ProgressLine progress("zovorudovu demo", quiet, file, terminal);
        use(progress);
    }
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, n);
    std::fclose(file);
    return text;
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
