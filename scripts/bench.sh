#!/usr/bin/env bash
# Speed figures: qva-cli get and send against qva-device-sim pacing at 9600
# baud, each run RUNS times, against the time the line and the required waits
# allow; then the desktop program's start-up time and its idle memory.
#   scripts/bench.sh [RUNS]        (default 5; build folder: $QVA_BUILD_DIR or build)
#
# The bound of a run is the bytes on the line (requests and answers, from the
# simulator's request log) x 10 bits / 9600 baud, plus the waits the meter
# paces: 50 ms before each status poll of the copy (Send). qva-cli makes no
# display waits (the desktop program keeps a final status readable for 1 s).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
RUNS=${1:-5}
BIN=${QVA_BUILD_DIR:-build}/bin
for p in qva-cli qva-device-sim qva-setup qva-setup-host; do
  [ -x "$BIN/$p" ] || { echo "$BIN/$p is not built (./build.sh build)" >&2; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/qva-bench-XXXXXX")
SIM_PID=""
cleanup() { [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null; wait 2>/dev/null || true; rm -rf "$WORK"; }
trap cleanup EXIT
# A sandbox for the settings store, folders and backups.
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

now_ms() { date +%s%3N; }

start_sim() {
  : >"$WORK/sim.log"
  "$BIN/qva-device-sim" --log --sensor-type 2 "$@" >"$WORK/sim.out" 2>"$WORK/sim.log" &
  SIM_PID=$!
  for _ in $(seq 100); do
    PTY=$(sed -n 's/^PTY //p' "$WORK/sim.out")
    [ -n "$PTY" ] && return 0
    sleep 0.05
  done
  echo "the simulator did not start" >&2; exit 1
}
stop_sim() { kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null || true; SIM_PID=""; }

# Bytes on the line and status polls, from the simulator's request log.
line_figures() {
  awk '
    / examine base / { for (i = 1; i <= NF; i++) if ($i == "len") n = $(i+1);
                       bytes += 11 + 11 + n + 2; if (copying && / base 3 /) polls++ }
    / set base /     { for (i = 1; i <= NF; i++) if ($i == "len") n = $(i+1);
                       bytes += 11 + (n > 0 ? n + 2 : 0) + 11; if (/ base 3 /) copying = 1 }
    END { print bytes + 0, polls + 0 }' "$WORK/sim.log"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2 }'; }

# A valid configuration to send.
start_sim --no-pacing
"$BIN/qva-cli" get --port "$PTY" -o "$WORK/config.Q11" --force 2>/dev/null
stop_sim
# sensor_type (record byte 4, file byte 276) = 2: a sensor must be chosen.
printf '\x02' | dd of="$WORK/config.Q11" bs=1 seek=276 conv=notrunc status=none

bench() {  # name, command...
  local name=$1; shift
  : >"$WORK/times"; : >"$WORK/bounds"
  for _ in $(seq "$RUNS"); do
    start_sim
    local t0 t1
    t0=$(now_ms)
    "$@" --port "$PTY" >/dev/null 2>&1 || { echo "$name failed" >&2; exit 1; }
    t1=$(now_ms)
    stop_sim
    read -r bytes polls < <(line_figures)
    echo $((t1 - t0)) >>"$WORK/times"
    if [ "$name" = get ]; then
      awk -v b="$bytes" 'BEGIN { printf "%.1f\n", b * 10 / 9.6 }' >>"$WORK/bounds"
    else
      awk -v b="$bytes" -v p="$polls" 'BEGIN { printf "%.1f\n", b * 10 / 9.6 + 50 * p }' >>"$WORK/bounds"
    fi
  done
  local t b
  t=$(median <"$WORK/times"); b=$(median <"$WORK/bounds")
  awk -v n="$name" -v t="$t" -v b="$b" -v r="$RUNS" \
    'BEGIN { printf "%-6s runs %d  median %7.1f ms  bound %7.1f ms  ratio %.3f\n", n, r, t, b, t / b }'
}

echo "Speed against the simulator at 9600 baud ($RUNS runs each)"
bench get "$BIN/qva-cli" get -o "$WORK/out.Q11" --force
bench send "$BIN/qva-cli" send "$WORK/config.Q11"

# The desktop program: time to the main window on screen (offscreen), and its
# resident memory once idle. The port is preset so no question comes up.
start_sim --no-pacing --register-port COM1 --select-port
: >"$WORK/startup"
for _ in $(seq "$RUNS"); do
  t0=$(now_ms)
  QT_QPA_PLATFORM=offscreen QVA_SETUP_QUIT_WHEN_SHOWN=1 "$BIN/qva-setup-host" >/dev/null 2>&1
  echo $(( $(now_ms) - t0 )) >>"$WORK/startup"
done
printf 'qva-setup start-up to the main window shown (offscreen, to exit): median %s ms\n' "$(median <"$WORK/startup")"
QT_QPA_PLATFORM=offscreen "$BIN/qva-setup" >/dev/null 2>&1 &
APP=$!
sleep 3
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$APP/status")
kill "$APP"; wait "$APP" 2>/dev/null || true
stop_sim
printf 'qva-setup resident memory when idle: %d KiB (%.1f MiB)\n' "$rss" "$(echo "$rss / 1024" | bc -l)"
