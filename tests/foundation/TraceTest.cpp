#include "foundation/Json.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "foundation/Trace.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zovo {

TEST(Trace, StreamsEveryRecordKeepsOnlyTheRecentOnesAndWritesValidJsonWhateverTheText)
{
    Process process;
    Trace& t = trace();
    t.setKept(3);
    std::vector<std::string> streamed;
    t.setListener([&](const TraceEvent& e) { streamed.push_back(e.text("subject")); });
    for (int i = 0; i < 5; ++i) t.record("note", "n" + std::to_string(i));
    t.setListener({});

    EXPECT_EQ(streamed, (std::vector<std::string>{"n0", "n1", "n2", "n3", "n4"}));
    ASSERT_EQ(t.events().size(), 3u);
    EXPECT_EQ(t.events().front().text("subject"), "n2");
    EXPECT_EQ(t.recordedCount(), 5u);
    t.setKept(1);
    EXPECT_EQ(t.events().size(), 1u);
    EXPECT_EQ(t.eventsOfKind("note").at(0).text("subject"), "n4");

    // Records are valid JSON whatever their text.
    process.mainRunLoop().advance(1.5);
    trace().record("post", {{"name", "bad \xFF\xC0 byte"}, {"quote", "say \"hi\"\n\ttab \x01"}, {"n", 3.0}, {"x", 0.1},
                            {"inf", 1.0 / 0.0}, {"big", 1e300}, {"ok", true}});
    const TraceEvent& e = trace().events().back();
    const std::string line = e.toJson();
    EXPECT_TRUE(isValidUtf8(line));
    const auto parsed = nlohmann::ordered_json::parse(line);
    EXPECT_EQ(parsed["t"], 1.5);
    EXPECT_EQ(parsed["name"], "bad \xEF\xBF\xBD\xEF\xBF\xBD byte");
    EXPECT_EQ(e.text("quote"), "say \"hi\"\n\ttab \x01") << "text() reads back what was recorded";
    EXPECT_EQ(e.field("n"), "3");
    EXPECT_EQ(e.field("x"), "0.1");
    EXPECT_EQ(e.field("inf"), "null");
    EXPECT_EQ(parsed["big"], 1e300);
    EXPECT_EQ(e.text("n"), "") << "a number is not text";
}

} // namespace zovo
