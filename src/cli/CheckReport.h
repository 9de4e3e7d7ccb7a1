// What `zovorudovu check` leaves for people and for CI: an HTML report to open from disk, and JUnit
// XML, one test case per snapshot.
#pragma once

#include "sim/ReferenceCheck.h"

#include <string>
#include <vector>

namespace zovo {

struct CheckTotals {
    std::size_t checked = 0, passed = 0, failed = 0, recorded = 0;
    double seconds = 0;
};

// Snapshots counted by outcome; a missing reference and a scenario that could not run count as
// failed.
CheckTotals countChecks(const std::vector<ScenarioCheck>& checks);

// index.html: every snapshot with its outcome, and for each that did not pass the expected, actual
// and difference pictures side by side with a slider between expected and actual. The page is
// also well-formed XML, so a test (or a script) can read it with an XML parser.
std::string checkReportHTML(const std::vector<ScenarioCheck>& checks, const CheckTotals& totals);

// JUnit XML: a suite per scenario, a case per snapshot; a difference or a missing reference is a
// failure, a recorded reference a failure of its own type, a scenario that could not run an error.
std::string checkJUnitXML(const std::vector<ScenarioCheck>& checks, const CheckTotals& totals);

} // namespace zovo
