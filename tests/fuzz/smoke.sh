#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer + ASan + UBSan) and runs each
# briefly from the seed corpus. A crash, hang, leak or failed check stops the
# script with a non-zero status and leaves the input in the work folder.
#
#   tests/fuzz/smoke.sh [SECONDS]     seconds per target, default 30
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_CXX (default
# clang++-14), JOBS.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
SECONDS_PER_TARGET=${1:-30}
BUILD=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
CXX=${FUZZ_CXX:-clang++-14}
JOBS=${JOBS:-$(nproc)}

command -v "$CXX" >/dev/null || { echo "fuzz smoke: $CXX not found (Debian packages clang-14, libclang-rt-14-dev)" >&2; exit 2; }
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$CXX" \
  "${launcher[@]}" -DFP_SANITIZER=address -DFP_BUILD_FUZZERS=ON -DFP_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target fuzz_config_file fuzz_style_sheet

work=$(mktemp -d "${TMPDIR:-/tmp}/fp-fuzz.XXXXXX")
for target in config_file style_sheet; do
  # The seeds are copied: the run adds what it finds to its corpus folder.
  mkdir -p "$work/$target"
  cp tests/fuzz/corpus/$target/* "$work/$target/"
  echo "== fuzz_$target for ${SECONDS_PER_TARGET}s"
  (
    cd "$work"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$BUILD/fuzz_$target" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -dict="$ROOT/tests/fuzz/$target.dict" -print_final_stats=1 "$work/$target" 2>"$work/$target.log" ||
      { tail -n 60 "$work/$target.log" >&2; echo "fuzz_$target failed; inputs and log in $work" >&2; exit 1; }
  )
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$work/$target.log" || true
done
rm -rf "$work"
echo "fuzz smoke: both targets ran ${SECONDS_PER_TARGET}s without a finding"
