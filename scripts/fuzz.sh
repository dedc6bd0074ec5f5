#!/usr/bin/env bash
# Runs every fuzz program of the sanitizer build for a while (30 s each unless told), each corpus
# starting from the seeds made by code and the inputs kept in tests/fuzz/corpus/<target>/. An input
# that breaks a target is kept in fuzz-findings/<target>/ and fails the run: add it to
# tests/fuzz/corpus/<target>/ with the fix, so that the normal suite keeps checking it.
#   scripts/fuzz.sh [seconds]        (after scripts/test.sh --sanitize)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
programs="$root/build-asan/fuzz"
if ! ls "$programs"/fuzz_* >/dev/null 2>&1; then
  echo "fuzz: no fuzz programs in $programs (run scripts/test.sh --sanitize first)" >&2
  exit 1
fi
export EUDC_HOST_FONTS=0
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for program in "$programs"/fuzz_*; do
  name="${program##*/fuzz_}"
  corpus="$(mktemp -d)"
  findings="$root/fuzz-findings/$name"
  mkdir -p "$findings"
  EUDC_FUZZ_WRITE_SEEDS="$corpus" "$program" >/dev/null 2>&1
  cp "$root/tests/fuzz/corpus/$name/"* "$corpus/" 2>/dev/null || true
  log="$findings/log.txt"
  if "$program" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1; then
    echo "fuzz_$name: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | awk '{print $2}') runs, nothing found"
    [ -n "$(ls -A "$findings" | grep -v log.txt)" ] || rm -rf "$findings"
  else
    echo "fuzz_$name found an input that breaks it, kept in $findings:" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
  rm -rf "$corpus"
done
rmdir "$root/fuzz-findings" 2>/dev/null || true
exit "$status"
