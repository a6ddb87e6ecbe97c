#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and runs each
# for the given number of seconds (default 30), starting from the seed corpus in fuzz/corpus/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# New inputs the fuzzer finds go to build-fuzz/corpus/<target>/, never into the repository's seed
# corpus; a crash leaves its input in build-fuzz/findings/<target>/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
case "$seconds" in '' | *[!0-9]*) echo "fuzz.sh: SECONDS must be a whole number, got '$seconds'" >&2; exit 2 ;; esac
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(preference_file image_decode font_load defaults_arguments)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for target in "${targets[@]}"; do
  binary="build-fuzz/fuzz/fuzz_${target}"
  seeds="fuzz/corpus/${target}"
  if [ ! -x "$binary" ] || [ ! -d "$seeds" ]; then
    echo "fuzz.sh: unknown target '$target'" >&2
    exit 2
  fi
  work="build-fuzz/corpus/${target}"
  findings="build-fuzz/findings/${target}"
  mkdir -p "$work" "$findings"
  log="build-fuzz/fuzz-${target}.log"
  echo "fuzz.sh: ${target} for ${seconds} s"
  # Leaks are not findings here: the platform keeps process-lifetime caches on purpose.
  if ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1" \
    "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="${findings}/" "$work" "$seeds" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz.sh: ${target}: ${runs} executions, no finding"
  else
    status=1
    echo "fuzz.sh: ${target}: FINDING (see ${log} and ${findings}/)" >&2
    tail -n 40 "$log" >&2
  fi
done
exit "$status"
