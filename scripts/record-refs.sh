#!/usr/bin/env bash
# Records the project's reference images again from scratch, then checks them as `make test` does:
# the scenarios in tests/scenarios and the hard-text one the build writes into build/scenarios, on
# each of three phones, into tests/refs/PHONE. References of scenarios or snapshots that are gone
# are removed with the rest.
# Run after a deliberate change of look, then review the pictures (git diff shows which changed)
# before committing them.
#   scripts/record-refs.sh [path/to/zovorudovu]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-build/bin/zovorudovu}
rm -rf tests/refs
for phone in 11:iPhone12,1 13pro:iPhone14,2 15pro:iPhone16,1; do
  refs=tests/refs/${phone%%:*}
  # Every reference is new, so this run reports them as recorded and exits 1 by design.
  "$tool" check tests/scenarios build/scenarios/hard-text.json --device "${phone#*:}" --refs "$refs" --record missing -j 2 --quiet \
    --json-style compact >/dev/null || true
  "$tool" check tests/scenarios build/scenarios/hard-text.json --device "${phone#*:}" --refs "$refs" --record never -j 2 --quiet \
    --json-style compact >/dev/null
done
echo "recorded $(find tests/refs -name '*.png' | wc -l) references, $(du -sb tests/refs | cut -f1) bytes, in tests/refs" >&2
