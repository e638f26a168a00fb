#!/usr/bin/env bash
# Builds the MPEG decoder's libFuzzer target (every layer and every decoder variant) with
# Debian's clang (AddressSanitizer and UndefinedBehaviorSanitizer) and runs it on the kept
# corpus.
#   tools/mpegdec-fuzz.sh [SECONDS] [extra libFuzzer options...]
# New interesting inputs go to a scratch corpus; merge the ones worth keeping into
# tests/mpegdec/fuzz_corpus/ (the regression test replays that folder) with:
#   tools/mpegdec-fuzz.sh merge
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${MPEGDEC_FUZZ_BUILD:-$root/build-mpegdec-fuzz}
corpus=$root/tests/mpegdec/fuzz_corpus
scratch=$build/corpus
mkdir -p "$build" "$scratch" "$corpus"

sources=("$root"/src/mpegdec/*.cpp "$root"/tests/mpegdec/mpegdec_fuzz_input.cpp "$root"/tests/mpegdec/mpegdec_fuzzer.cpp)
binary=$build/mpegdec_fuzzer
if [[ ! -x $binary ]] || [[ -n $(find "${sources[@]}" "$root"/src/mpegdec/*.h -newer "$binary" 2>/dev/null) ]]; then
  clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" -I"$root/tests/mpegdec" "${sources[@]}" -o "$binary"
fi

if [[ ${1:-} == merge ]]; then
  "$binary" -merge=1 "$corpus" "$scratch"
  exit 0
fi

seconds=${1:-600}
shift || true
# Seeds: the kept corpus plus the test data's conformance and robustness streams, read in place.
seeds=("$root/tests/data/mpeg/iso" "$root/tests/data/mpeg/robustness")
exec "$binary" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  "$@" "$scratch" "$corpus" "${seeds[@]}"
