#!/usr/bin/env bash
# GetRefGlyph per code against FreeType's load + decompose of the same glyphs (face opened once),
# side by side in one run: the 6400 glyphs of a full TTE section from make_bench_backup, linked to
# the face the restore asks for; best of five rounds each.
#   bench/run_ref_glyph_speed.sh [build-dir] [rounds] [codes]      (default: build-bench)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-bench}"
rounds="${2:-5}"
codes="${3:-6400}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEUDC_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target make_bench_backup ref_glyph_speed -j2 >/dev/null

work="$(mktemp -d /tmp/run_ref_glyph_speed.XXXXXX)"
trap 'rm -rf "$work"' EXIT
WINEPREFIX="$work/generator" EUDC_HOST_FONTS=0 "$build/bench/make_bench_backup" "$work/TQClient.tqb" "$work/sections"

echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/ref_glyph_speed" "$work/sections/BENCH00.TTE" "$work/prefix" "$rounds" "$codes"
