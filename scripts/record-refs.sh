#!/usr/bin/env bash
# Records the project's reference images again from scratch (tests/refs, from the scenarios in
# tests/scenarios, the hard-text ones written anew from the hard-text set), then checks them as
# `make test` does. References of scenarios or snapshots that are gone are removed with the rest.
# Run after a deliberate change of look, then review the pictures (git diff shows which changed)
# before committing them.
#   scripts/record-refs.sh [path/to/zovorudovu]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-build/bin/zovorudovu}
# The hard-text scenarios follow the hard-text set: each of its texts in turn, on three phones.
c++ -std=c++20 -O1 -I src scripts/hard-text-scenarios.cpp src/sim/HardText.cpp -o build/hard-text-scenarios
for phone in 11:iPhone12,1 13pro:iPhone14,2 15pro:iPhone16,1; do
  build/hard-text-scenarios "${phone#*:}" > "tests/scenarios/hard-text-${phone%%:*}.json"
done
rm -rf tests/refs
# Every reference is new, so this run reports them as recorded and exits 1 by design.
"$tool" check tests/scenarios --refs tests/refs --record missing -j 2 --quiet --json-style compact >/dev/null || true
"$tool" check tests/scenarios --refs tests/refs --record never -j 2 --quiet --json-style compact >/dev/null
echo "recorded $(find tests/refs -name '*.png' | wc -l) references, $(du -sb tests/refs | cut -f1) bytes, in tests/refs" >&2
