#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address + undefined sanitizers)
# and runs each one, printing the number of runs and the result per target.
#   scripts/fuzz.sh [--seconds N] [--runs N] [--replay] [TARGET...]
#   --seconds N   run each target for N seconds (default 60)
#   --runs N      run each target for N executions (with --seconds: until
#                 either limit is reached)
#   --replay      only replay the corpus (seeds and what earlier runs found)
# Every run starts by replaying the saved corpus and the seeds. The corpora
# live in build-fuzz/corpus/<target>, findings in build-fuzz/crashes, the
# log of each target in build-fuzz/<target>.log. Any finding fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

SECONDS_PER_TARGET=""
RUNS=""
REPLAY=0
TARGETS=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SECONDS_PER_TARGET=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --replay) REPLAY=1; shift ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) TARGETS+=("$1"); shift ;;
  esac
done
[ -z "$SECONDS_PER_TARGET" ] && [ -z "$RUNS" ] && SECONDS_PER_TARGET=60

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
JOBS=${QVA_FUZZ_JOBS:-$(nproc)}
build_log="$BUILD/build.log"
mkdir -p "$BUILD"
# Several invocations may share the build folder (one per core): the build
# runs under a lock and each invocation makes its own copy of the seeds.
exec 9>"$BUILD/.build.lock"
flock 9
build() {
  if ! "$@" >"$build_log" 2>&1; then
    tail -n 40 "$build_log" >&2
    echo "fuzz.sh: build failed (see $build_log)" >&2
    exit 1
  fi
}
build env CXX=clang++-14 CC=clang-14 cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQVA_FUZZ=ON -DQVA_BUILD_TESTS=OFF
mapfile -t ALL < <(cmake --build "$BUILD" --target help | sed -n 's/^\.\.\. \(fuzz_[a-z0-9_]*\).*/\1/p' | grep -v _autogen | sort)
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=("${ALL[@]}")
build cmake --build "$BUILD" -j"$JOBS" --target qva-fuzz-seeds "${TARGETS[@]}"

SEEDS=$(mktemp -d "$BUILD/seeds.XXXXXX")
trap 'rm -rf "$SEEDS"' EXIT
"$BUILD/bin/qva-fuzz-seeds" "$SEEDS" >/dev/null
flock -u 9
mkdir -p "$BUILD/crashes"
supp="$PWD/scripts/lsan.supp"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
printf '%-24s %12s %8s  %s\n' target runs seconds result
for t in "${TARGETS[@]}"; do
  corpus="$BUILD/corpus/$t"
  mkdir -p "$corpus" "$SEEDS/$t"
  log="$BUILD/$t.log"
  args=()
  if [ "$REPLAY" -eq 1 ]; then
    args=(-runs=0)
  else
    [ -n "$RUNS" ] && args+=(-runs="$RUNS")
    [ -n "$SECONDS_PER_TARGET" ] && args+=(-max_total_time="$SECONDS_PER_TARGET")
  fi
  started=$(date +%s)
  # New inputs go to the corpus (first folder); the seeds are only read.
  if "$BUILD/bin/$t" "${args[@]}" -artifact_prefix="$BUILD/crashes/$t-" -print_final_stats=1 \
       "$corpus" "$SEEDS/$t" >"$log" 2>&1; then
    result=ok
  else
    result="FINDING (see $log)"
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  printf '%-24s %12s %8s  %s\n' "$t" "${runs:-?}" "$(( $(date +%s) - started ))" "$result"
done
exit $failed
