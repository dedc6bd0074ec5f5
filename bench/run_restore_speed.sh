#!/usr/bin/env bash
# A 16-slot restore of full sections (6400 glyphs of about 120 points each) against `cp` of the
# same section files, and against `cp` followed by fdatasync of each, side by side in one run:
# best of five each, on a fresh prefix every time.
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

restore_once() {
  rm -rf "$work/prefix"
  WINEPREFIX="$work/prefix" EUDC_HOST_FONTS=0 "$work/tool/eudcrestore" /Silent
}
copy_once() {
  rm -rf "$work/copy" && mkdir "$work/copy"
  cp "$work"/sections/* "$work/copy/"
}
copy_sync_once() {
  copy_once
  sync --data "$work"/copy/*
}

restore=$(for i in 1 2 3 4 5; do seconds restore_once; done | best)
copy=$(for i in 1 2 3 4 5; do seconds copy_once; done | best)
copysync=$(for i in 1 2 3 4 5; do seconds copy_sync_once; done | best)
[ -n "$(ls "$work"/prefix/drive_c/users/Public/Documents/BENCH*.TTE 2>/dev/null)" ] || { echo "the restore wrote no TTE file" >&2; exit 1; }

echo "16 slots, $bytes bytes of sections; load $(cut -d' ' -f1-3 /proc/loadavg)"
printf 'restore:               %.3f s\n' "$restore"
printf 'cp:                    %.3f s   (restore / cp: %.1f)\n' "$copy" "$(awk -v a="$restore" -v b="$copy" 'BEGIN { print a / b }')"
printf 'cp + fdatasync:        %.3f s   (restore / cp + fdatasync: %.2f, goal 2)\n' "$copysync" "$(awk -v a="$restore" -v b="$copysync" 'BEGIN { print a / b }')"
