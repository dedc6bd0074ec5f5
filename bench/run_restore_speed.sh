#!/usr/bin/env bash
# A 16-slot restore of full sections (6400 glyphs of about 120 points each) against `cp` of the
# same section files, and against `cp` followed by fdatasync of each, side by side in one run:
# best of seven each, on a fresh prefix every time.
#   bench/run_restore_speed.sh [build-dir]      (default: build-bench)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-bench}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEUDC_BUILD_BENCH=ON -DEUDC_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target eudcrestore make_bench_backup -j2 >/dev/null

work="$(mktemp -d /tmp/run_restore_speed.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tool"
cp -P "$build"/bin/eudcrestore "$build"/bin/libeudccore.so* "$build"/bin/libeudcplatform.so* "$work/tool/"
WINEPREFIX="$work/generator" EUDC_HOST_FONTS=0 "$build/bench/make_bench_backup" "$work/tool/TQClient.tqb" "$work/sections"
bytes=$(cat "$work"/sections/* | wc -c)

seconds() {  # runs "$@" and prints its wall time in seconds
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}
best() { sort -g | head -n 1; }

# What each run starts from is made before its clock starts: an empty place, caches as warm as
# the last run left them.
restore_once() {
  WINEPREFIX="$work/prefix" EUDC_HOST_FONTS=0 "$work/tool/eudcrestore" /Silent
}
copy_once() {
  cp "$work"/sections/* "$work/copy/"
}
copy_sync_once() {
  copy_once
  sync --data "$work"/copy/*
}

# The three alternate round by round, so that a machine whose speed drifts during the run
# weighs on all of them alike; best of seven each.
: >"$work/restore.times"; : >"$work/copy.times"; : >"$work/copysync.times"
for i in 1 2 3 4 5 6 7; do
  rm -rf "$work/prefix"; sync
  seconds restore_once >>"$work/restore.times"
  rm -rf "$work/copy"; mkdir "$work/copy"; sync
  seconds copy_once >>"$work/copy.times"
  rm -rf "$work/copy"; mkdir "$work/copy"; sync
  seconds copy_sync_once >>"$work/copysync.times"
done
restore=$(best <"$work/restore.times")
copy=$(best <"$work/copy.times")
copysync=$(best <"$work/copysync.times")
[ -n "$(ls "$work"/prefix/drive_c/users/Public/Documents/BENCH*.TTE 2>/dev/null)" ] || { echo "the restore wrote no TTE file" >&2; exit 1; }

echo "16 slots, $bytes bytes of sections; load $(cut -d' ' -f1-3 /proc/loadavg)"
printf 'restore:               %.3f s\n' "$restore"
printf 'cp:                    %.3f s   (restore / cp: %.1f)\n' "$copy" "$(awk -v a="$restore" -v b="$copy" 'BEGIN { print a / b }')"
printf 'cp + fdatasync:        %.3f s   (restore / cp + fdatasync: %.2f, goal 2)\n' "$copysync" "$(awk -v a="$restore" -v b="$copysync" 'BEGIN { print a / b }')"
