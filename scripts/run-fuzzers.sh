#!/usr/bin/env bash
# Runs every fuzzer for a set time, each from its committed seed corpus and with its dictionary.
# New inputs go to a scratch corpus under the build folder, so the committed seeds stay small; a
# crash leaves its input under build-fuzz/artifacts and fails the run.
#
#   scripts/run-fuzzers.sh build-fuzz/bin 60
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:?usage: run-fuzzers.sh FUZZER_DIR SECONDS}
seconds=${2:?usage: run-fuzzers.sh FUZZER_DIR SECONDS}
work=build-fuzz
mkdir -p "$work/artifacts"

# name: the fuzzer's extra options. Inputs stay under 64 KiB, which covers every seed with room
# to grow; the PNG fuzzer's inputs may still decode to 4096 x 4096 pixels (see ImageFuzz.cpp).
declare -A options=(
  [property_list]=""
  [image]=""
  [json]=""
  [text_values]="-max_len=4096"
  [settings_json]=""
  [scenario]=""
  [colour_text]="-max_len=1024"
  [command_line]="-max_len=4096"
)
failed=()
for name in property_list image json text_values settings_json scenario colour_text command_line; do
  fuzzer="$bin/fuzz_$name"
  [ -x "$fuzzer" ] || { echo "run-fuzzers: $fuzzer is missing; build the fuzz preset first" >&2; exit 1; }
  mkdir -p "$work/corpus/$name"
  echo "== fuzz_$name for ${seconds}s" >&2
  # shellcheck disable=SC2086
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=65536 ${options[$name]} -rss_limit_mb=2048 \
       -dict="fuzz/$name.dict" -artifact_prefix="$work/artifacts/$name-" -print_final_stats=1 \
       "$work/corpus/$name" "fuzz/corpus/$name" 2>"$work/fuzz_$name.log"; then
    tail -n 40 "$work/fuzz_$name.log" >&2
    failed+=("$name")
  else
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$work/fuzz_$name.log" >&2 || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "run-fuzzers: failed: ${failed[*]} (inputs under $work/artifacts)" >&2
  exit 1
fi
