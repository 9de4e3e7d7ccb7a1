// zovorudovu check as a CI job sees it: exit statuses, refusals before anything runs, the report
// and the JUnit file (read with an XML parser), -j and --shard.
#include "cli/ToolRun.h"
#include "ScopedEnv.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

using zovo::ToolRun;

// Runs the check as on a developer's machine (CI unset, whatever the environment running the
// tests says) unless `ci` gives CI a value.
ToolRun check(std::vector<std::string> args, const char* ci = nullptr)
{
    const zovo::ScopedEnv variable("CI", ci);
    return zovo::runCommand("check", std::move(args));
}

// A one-banner scenario on an iPhone 11 with a snapshot labelled "shown".
std::string scenario(const zovo::TestFolder& folder, const std::string& name, const std::string& title)
{
    const Json s{{"device", "iPhone12,1"}, {"until", 1.2},
                 {"events", {{{"at", 0.1}, {"notify", {{"id", "a"}, {"app", "Mail"}, {"title", title}, {"message", "Ready."}, {"icon", "#1C73F2"}}}},
                             {{"at", 1.0}, {"snapshot", "shown"}}}}};
    std::ofstream(folder / name) << s.dump();
    return (folder / name).string();
}

// Evaluates an XPath count over a file that must be well-formed XML.
double xpathCount(const fs::path& file, const char* expression)
{
    xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    EXPECT_NE(doc, nullptr) << file << " is not well-formed";
    if (!doc) return -1;
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    xmlXPathRegisterNs(context, BAD_CAST "h", BAD_CAST "http://www.w3.org/1999/xhtml");
    xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST expression, context);
    const double count = result ? xmlXPathCastToNumber(result) : -1;
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    xmlFreeDoc(doc);
    return count;
}

TEST(CheckCommand, RefusesWhatCannotWorkBeforeAnythingRuns)
{
    const zovo::TestFolder folder;
    const std::string a = scenario(folder, "a.json", "Anna"), file = (folder / "a-file").string();
    std::ofstream(file) << "x";
    fs::create_directory(folder / "other");
    const std::string twin = scenario(folder, "other/a.json", "Anna");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    } cases[] = {
        {{a, "--refs", file}, 1, "references folder"},
        {{a, "--refs", (folder / "r").string(), "--report", file + "/x"}, 1, "report folder"},
        {{a, "--refs", (folder / "r").string(), "--record", "sometimes"}, 2, "--record"},
        {{a, "--refs", (folder / "r").string(), "--shard", "3/2"}, 2, "--shard"},
        {{a, "--refs", (folder / "r").string(), "--threshold", "1.5"}, 2, "--threshold"},
        {{a, "--refs", (folder / "r").string(), "--device", "iPhone0,0"}, 2, "--device"},
        {{a, twin, "--refs", (folder / "r").string()}, 2, "share the name"},
    };
    for (const Case& c : cases) {
        const ToolRun r = check(c.args);
        EXPECT_EQ(r.status, c.status) << c.says << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << "nothing ran: " << c.says;
    }
    EXPECT_FALSE(fs::exists(folder / "r/a")) << "no reference was written";
}

TEST(CheckCommand, ReportAndJUnitNameTheSnapshotThatChanged)
{
    const zovo::TestFolder folder;
    const std::string refs = (folder / "refs").string(), report = (folder / "report").string(), junit = (folder / "junit.xml").string();
    const std::string a = scenario(folder, "a.json", "Anna"), b = scenario(folder, "b.json", "Ben");
    ASSERT_EQ(check({a, b, "--refs", refs, "-q"}).json()["recorded"], 2);
    scenario(folder, "b.json", "Bea");
    const ToolRun r = check({a, b, "--refs", refs, "--report", report, "--junit", junit, "--record", "never", "-q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.json()["checked"], 2);
    EXPECT_EQ(r.json()["failed"], 1);
    EXPECT_NE(r.err.find("b/shown"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("2 checked, 1 passed, 1 failed, 0 recorded"), std::string::npos) << r.err;

    EXPECT_EQ(xpathCount(junit, "count(//testcase)"), 2);
    EXPECT_EQ(xpathCount(junit, "count(//testsuite[@name='b']/testcase[@name='shown']/failure)"), 1);
    EXPECT_EQ(xpathCount(junit, "number(/testsuites/@failures)"), 1);
    const fs::path index = fs::path(report) / "index.html";
    EXPECT_EQ(xpathCount(index, "count(//h:span[@class='badge failed'])"), 1);
    EXPECT_EQ(xpathCount(index, "count(//h:input[@type='range'])"), 1);
    // Every picture the page shows is there, beside it.
    const std::string page = zovo::slurp(index);
    const std::regex source("<img[^>]* src=\"([^\"]+)\"");
    int images = 0;
    for (std::sregex_iterator i(page.begin(), page.end(), source), end; i != end; ++i, ++images)
        EXPECT_TRUE(fs::exists(fs::path(report) / (*i)[1].str())) << (*i)[1];
    EXPECT_EQ(images, 5) << "expected, actual, diff and the slider's two";
}

TEST(CheckCommand, JobsAndShardsCheckTheSameSnapshotsAsOneAtATime)
{
    const zovo::TestFolder folder;
    const std::string refs = (folder / "refs").string();
    std::vector<std::string> files;
    for (const char* name : {"a", "b", "c"}) files.push_back(scenario(folder, std::string(name) + ".json", name));
    auto run = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = files;
        args.insert(args.end(), {"--refs", refs, "-q"});
        args.insert(args.end(), extra.begin(), extra.end());
        return check(args);
    };
    ASSERT_EQ(run({}).json()["recorded"], 3);
    const ToolRun one = run({"--record", "never"}), two = run({"--record", "never", "-j", "2"});
    EXPECT_EQ(two.status, 0) << two.err;
    ASSERT_EQ(two.json()["scenarios"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(two.json()["scenarios"][i]["name"], one.json()["scenarios"][i]["name"]) << "results keep the list's order";
        EXPECT_EQ(two.json()["scenarios"][i]["snapshots"], one.json()["scenarios"][i]["snapshots"]);
    }
    // Played on another phone, every snapshot is drawn at that phone's size and no longer matches.
    EXPECT_EQ(run({"--record", "never", "-j", "2", "--device", "iPhone16,1"}).json()["failed"], 3);
    std::vector<std::string> sharded;
    for (const char* shard : {"1/2", "2/2"}) {
        const Json results = run({"--record", "never", "--shard", shard}).json();
        for (const Json& s : results["scenarios"]) sharded.push_back(s["name"]);
    }
    EXPECT_EQ(sharded, (std::vector<std::string>{"a", "b", "c"}));

    // Under CI nothing is recorded unless asked.
    const ToolRun ci = check({scenario(folder, "d.json", "Dee"), "--refs", refs, "-q"}, "true");
    EXPECT_EQ(ci.status, 1);
    EXPECT_EQ(ci.json()["scenarios"][0]["snapshots"][0]["status"], "missing");
    EXPECT_FALSE(fs::exists(fs::path(refs) / "d"));
}

} // namespace
