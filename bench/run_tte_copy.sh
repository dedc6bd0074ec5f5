#!/usr/bin/env bash
# Times TTE_2_TTE on a full 6400-glyph font against the same copy done with fontTools.
# Needs Google Benchmark (libbenchmark-dev) and fontTools (python3-fonttools).
#   bench/run_tte_copy.sh [build-dir]      (default: build-bench)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-bench}"
python="${PYTHON:-/usr/bin/python3}"  # the Debian fontTools lives with the system Python

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEUDC_BUILD_BENCH=ON -DEUDC_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tte_copy_bench -j2 >/dev/null

work="$(mktemp -d /tmp/run_tte_copy.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# Best of five repetitions on each side.
"$build/bench/tte_copy_bench" --emit-dir="$work" --benchmark_repetitions=5 \
    --benchmark_out="$work/bench.json" --benchmark_out_format=json
ours="$("$python" - "$work/bench.json" <<'EOF'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
times = [r["real_time"] * scale[r["time_unit"]] for r in runs
         if r["run_name"] == "BM_TTE_2_TTE" and r.get("run_type") == "iteration" and not r.get("error_occurred")]
if not times:
    sys.exit("no BM_TTE_2_TTE result")
print("%.6f" % min(times))
EOF
)"
theirs="$("$python" "$root/bench/fonttools_copy.py" "$work/source.tte" "$work/template.tte" --runs 5 --work "$work")"

echo
echo "TTE_2_TTE, 6400 glyphs:         ${ours} s"
echo "fontTools copy, 6400 glyphs:    ${theirs} s"
"$python" -c "import sys; print('ratio (fontTools / TTE_2_TTE): %.1f' % (float(sys.argv[2]) / float(sys.argv[1])))" "$ours" "$theirs"
