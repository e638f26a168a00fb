#!/usr/bin/env bash
# Times our Layer III and Layer II decoding (mpegdec_bench) and mpg123 -q -s with its default decoder and
# with --cpu generic on the same generated 5-minute streams in one run, and prints x-realtime
# and the ratios. Times are processor time (user + system), so that other load on a shared
# machine does not count; mpg123's include its start-up and writing to /dev/null.
#   bench/mpegdec/compare-mpg123.sh BUILD_DIR
# BUILD_DIR is a Release build configured with -DSONVAREK_BUILD_BENCH=ON.
set -euo pipefail

build=${1:?usage: compare-mpg123.sh BUILD_DIR}
bench=$build/bench/mpegdec/mpegdec_bench
[[ -x $bench ]] || cmake --build "$build" --target mpegdec_bench
export MPEGDEC_BENCH_DIR=${MPEGDEC_BENCH_DIR:-$(dirname "$bench")/data}

json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_format=json > "$json"

python3 - "$json" "$MPEGDEC_BENCH_DIR" <<'PY'
import json, os, resource, subprocess, sys

results = json.load(open(sys.argv[1]))["benchmarks"]
folder = sys.argv[2]
seconds = 300.0

def cpu_seconds(command):
    best = None
    for _ in range(3):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        spent = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best = spent if best is None else min(best, spent)
    return best

print(f"{'stream':8} {'ours x':>8} {'frames/s':>9} {'mpg123 x':>9} {'generic x':>10} {'vs mpg123':>10} {'vs generic':>11}")
for layer, name, file in (("Layer3Decode", "cbr128", "cbr128.mp3"), ("Layer3Decode", "cbr320", "cbr320.mp3"),
                          ("Layer3Decode", "vbr_v2", "vbr_v2.mp3"), ("Layer2Decode", "l2_192", "l2_192.mp2"),
                          ("Layer2Decode", "l2_384", "l2_384.mp2")):
    ours = next(b for b in results if b["name"].startswith(f"{layer}/{name}"))
    path = os.path.join(folder, file)
    default_x = seconds / cpu_seconds(["mpg123", "-q", "-s", path])
    generic_x = seconds / cpu_seconds(["mpg123", "-q", "-s", "--cpu", "generic", path])
    x = ours["x_realtime"]
    print(f"{name:8} {x:8.0f} {ours['frames_per_s']:9.0f} {default_x:9.0f} {generic_x:10.0f} {x / default_x:10.2f} {x / generic_x:11.2f}")
PY
