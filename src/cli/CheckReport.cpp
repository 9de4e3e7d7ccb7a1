#include "cli/CheckReport.h"

#include "cli/Html.h"

#include <cstdio>
#include <sstream>

namespace zovo {
namespace {

using Status = SnapshotCheck::Status;

std::string junitSeconds(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", s);
    return text;
}

const char* pageStyle()
{
    return "body { margin: 0; padding: 24px 32px; background: #1c1c1e; color: #f2f2f7;\n"
           "       font: 14px/1.4 -apple-system, Inter, \"DejaVu Sans\", sans-serif; }\n"
           "h1 { font-size: 22px; font-weight: 600; margin: 0 0 4px; }\n"
           "h2 { font-size: 17px; font-weight: 600; margin: 28px 0 10px; }\n"
           ".lead, .file, .warning { color: #aeaeb2; margin: 0 0 8px; }\n"
           ".warning::before { content: \"warning: \"; color: #ffd60a; }\n"
           ".snapshot { margin: 6px 0; }\n"
           ".badge { display: inline-block; min-width: 70px; padding: 1px 8px; border-radius: 9px; margin-right: 10px;\n"
           "         text-align: center; font-weight: 600; font-size: 12px; }\n"
           ".passed { background: #30d158; color: #000; } .failed, .missing, .error { background: #ff453a; color: #fff; }\n"
           ".recorded { background: #0a84ff; color: #fff; }\n"
           ".label { font-weight: 600; margin-right: 10px; } .message { color: #aeaeb2; }\n"
           ".pictures { display: flex; gap: 16px; align-items: flex-start; margin: 10px 0 24px; overflow-x: auto; }\n"
           "figure { margin: 0; flex: none; width: 260px; } figcaption { text-align: center; color: #aeaeb2; margin-top: 6px; }\n"
           "figure img { display: block; width: 100%; height: auto; border-radius: 12px; background: #000; }\n"
           ".slider { position: relative; } .slider img.over { position: absolute; left: 0; top: 0; clip-path: inset(0 50% 0 0); }\n"
           ".slider input { width: 100%; margin-top: 8px; }\n";
}

void figure(std::ostream& html, const std::string& image, const char* caption)
{
    if (image.empty()) return;
    const std::string src = escapeXML(image);
    html << "<figure><a href=\"" << src << "\"><img src=\"" << src << "\" alt=\"" << caption << "\"/></a><figcaption>" << caption
         << "</figcaption></figure>\n";
}

void pictures(std::ostream& html, const SnapshotCheck& s)
{
    if (s.expected.empty() && s.actual.empty()) return;
    html << "<div class=\"pictures\">\n";
    figure(html, s.expected, "expected");
    figure(html, s.actual, s.status == Status::Recorded ? "recorded" : "actual");
    figure(html, s.diff, "difference");
    if (!s.expected.empty() && !s.actual.empty()) {
        // Actual over expected, uncovered from the left as the slider moves right.
        html << "<figure class=\"slider\"><div style=\"position: relative\"><img src=\"" << escapeXML(s.expected)
             << "\" alt=\"expected\"/><img class=\"over\" src=\"" << escapeXML(s.actual) << "\" alt=\"actual\"/></div>"
             << "<input type=\"range\" min=\"0\" max=\"100\" value=\"50\" aria-label=\"expected to actual\" "
                "oninput=\"this.parentNode.querySelector('img.over').style.clipPath = 'inset(0 ' + (100 - this.value) + '% 0 0)'\"/>"
             << "<figcaption>expected | actual</figcaption></figure>\n";
    }
    html << "</div>\n";
}

} // namespace

CheckTotals countChecks(const std::vector<ScenarioCheck>& checks)
{
    CheckTotals t;
    for (const ScenarioCheck& c : checks) {
        t.seconds += c.seconds;
        if (!c.error.empty()) ++t.failed;
        for (const SnapshotCheck& s : c.snapshots) {
            ++t.checked;
            if (s.status == Status::Passed) ++t.passed;
            else if (s.status == Status::Recorded) ++t.recorded;
            else ++t.failed;
        }
    }
    return t;
}

std::string checkReportHTML(const std::vector<ScenarioCheck>& checks, const CheckTotals& totals)
{
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
         << "<title>zovorudovu check</title>\n<style>\n" << pageStyle() << "</style>\n</head>\n<body>\n"
         << "<h1>Reference images</h1>\n<p class=\"lead\">" << totals.checked << " checked, " << totals.passed << " passed, " << totals.failed
         << " failed, " << totals.recorded << " recorded.</p>\n";
    for (const ScenarioCheck& c : checks) {
        html << "<h2>" << escapeXML(c.name) << "</h2>\n<p class=\"file\">" << escapeXML(c.file.string()) << "</p>\n";
        for (const std::string& w : c.warnings) html << "<p class=\"warning\">" << escapeXML(w) << "</p>\n";
        if (!c.error.empty())
            html << "<div class=\"snapshot\"><span class=\"badge error\">error</span><span class=\"message\">" << escapeXML(c.error) << "</span></div>\n";
        for (const SnapshotCheck& s : c.snapshots) {
            const char* status = statusName(s.status);
            html << "<div class=\"snapshot\"><span class=\"badge " << status << "\">" << status << "</span><span class=\"label\">"
                 << escapeXML(s.label) << "</span><span class=\"message\">" << escapeXML(s.message) << "</span></div>\n";
            pictures(html, s);
        }
    }
    html << "</body>\n</html>\n";
    return html.str();
}

std::string checkJUnitXML(const std::vector<ScenarioCheck>& checks, const CheckTotals& totals)
{
    std::size_t errors = 0;
    for (const ScenarioCheck& c : checks) errors += c.error.empty() ? 0 : 1;
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuites name=\"zovorudovu check\" tests=\"" << totals.checked + errors << "\" failures=\"" << totals.failed - errors
        << "\" errors=\"" << errors << "\" time=\"" << junitSeconds(totals.seconds) << "\">\n";
    for (const ScenarioCheck& c : checks) {
        std::size_t failures = 0;
        for (const SnapshotCheck& s : c.snapshots) failures += s.ok() ? 0 : 1;
        const std::string suite = escapeXML(c.name);
        xml << "  <testsuite name=\"" << suite << "\" tests=\"" << c.snapshots.size() + (c.error.empty() ? 0 : 1) << "\" failures=\"" << failures
            << "\" errors=\"" << (c.error.empty() ? 0 : 1) << "\" skipped=\"0\" time=\"" << junitSeconds(c.seconds) << "\" file=\""
            << escapeXML(c.file.string()) << "\">\n";
        if (!c.error.empty())
            xml << "    <testcase classname=\"" << suite << "\" name=\"(scenario)\"><error message=\"" << escapeXML(c.error) << "\" type=\"scenario\"/></testcase>\n";
        for (const SnapshotCheck& s : c.snapshots) {
            xml << "    <testcase classname=\"" << suite << "\" name=\"" << escapeXML(s.label) << "\" file=\"" << escapeXML(s.reference.string()) << "\"";
            if (s.ok()) {
                xml << "/>\n";
                continue;
            }
            xml << ">\n      <failure message=\"" << escapeXML(s.message) << "\" type=\"" << statusName(s.status) << "\">" << escapeXML(s.message)
                << "</failure>\n    </testcase>\n";
        }
        if (!c.warnings.empty()) {
            xml << "    <system-err>";
            for (const std::string& w : c.warnings) xml << "warning: " << escapeXML(w) << "\n";
            xml << "</system-err>\n";
        }
        xml << "  </testsuite>\n";
    }
    xml << "</testsuites>\n";
    return xml.str();
}

} // namespace zovo
