#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address + undefined sanitizers)
# and runs each one, printing the number of runs and the result per target.
#   scripts/fuzz.sh [--seconds N] [--runs N] [--replay] [TARGET...]
#   --seconds N   run each target for N seconds (default 60)
#   --runs N      run each target for N executions instead
#   --replay      only replay the corpus (seeds and what earlier runs found)
# The corpora live in build-fuzz/corpus/<target>; crashes in build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

SECONDS_PER_TARGET=60
RUNS=""
REPLAY=0
TARGETS=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SECONDS_PER_TARGET=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --replay) REPLAY=1; shift ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) TARGETS+=("$1"); shift ;;
  esac
done

# clang and its sanitizer runtimes come from Debian's packages.
missing=()
for p in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

BUILD=${QVA_FUZZ_BUILD_DIR:-build-fuzz}
CXX=clang++-14 CC=clang-14 cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQVA_FUZZ=ON -DQVA_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target qva-fuzz-seeds >/dev/null
mapfile -t ALL < <(cmake --build "$BUILD" --target help | sed -n 's/^\.\.\. \(fuzz_[a-z0-9_]*\).*/\1/p' | grep -v _autogen | sort)
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=("${ALL[@]}")
cmake --build "$BUILD" -j"$(nproc)" --target "${TARGETS[@]}" >/dev/null

"$BUILD/bin/qva-fuzz-seeds" "$BUILD/seeds"
mkdir -p "$BUILD/crashes"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
printf '%-28s %14s  %s\n' target runs result
for t in "${TARGETS[@]}"; do
  corpus="$BUILD/corpus/$t"
  mkdir -p "$corpus" "$BUILD/seeds/$t"
  log="$BUILD/$t.log"
  if [ "$REPLAY" -eq 1 ]; then
    args=(-runs=0)
  elif [ -n "$RUNS" ]; then
    args=(-runs="$RUNS")
  else
    args=(-max_total_time="$SECONDS_PER_TARGET")
  fi
  if "$BUILD/bin/$t" "${args[@]}" -artifact_prefix="$BUILD/crashes/$t-" -print_final_stats=1 \
       "$corpus" "$BUILD/seeds/$t" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  printf '%-28s %14s  %s\n' "$t" "${runs:-?}" "$result"
done
exit $failed
