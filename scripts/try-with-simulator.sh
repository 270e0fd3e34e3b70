#!/bin/sh
# Starts the meter simulator on a pseudo-terminal and the desktop program
# against it, so the program can be tried without a meter. Everything stops
# when the program closes.
#
# Usage: scripts/try-with-simulator.sh [OPTIONS] [-- SIMULATOR OPTIONS]
#
#   --build DIR      build folder holding bin/ (default: $QVA_BUILD_DIR, else
#                    the repository's build/)
#   --keep-settings  use your own settings, folders and recent files instead
#                    of a throwaway sandbox; only the device behind --port is
#                    changed (to a link to the simulator) and stays so
#   --port NAME      the port name to point at the simulator (default COM1 in
#                    the sandbox, where it is also preselected; COM8 with
#                    --keep-settings, where you choose it yourself under
#                    Options > Communications Port)
#   --sim-only       start only the simulator (for qva-cli) and wait for Ctrl-C
#   -h, --help       this text
#
# Everything after "--" goes to qva-device-sim (see qva-device-sim --help),
# for example:  -- --firmware 120          a meter with newer firmware
#               -- --fail-copies 1         the first copy to EEPROM fails
#               -- --states WARM_UP:5,RUN  a sensor warming up for 5 s
#               -- --eeprom ~/meter.Q11    keep the meter's configuration
set -eu

script_dir=$(cd "$(dirname "$0")" && pwd)
build_dir=${QVA_BUILD_DIR:-"$script_dir/../build"}
keep_settings=0
port=""
sim_only=0

usage() {
  sed -n '2,/^set -eu/p' "$0" | sed -e '/^set -eu/d' -e 's/^# \{0,1\}//'
}

while [ $# -gt 0 ]; do
  case "$1" in
    --build) [ $# -ge 2 ] || { echo "--build needs a folder" >&2; exit 2; }; build_dir=$2; shift 2 ;;
    --keep-settings) keep_settings=1; shift ;;
    --port) [ $# -ge 2 ] || { echo "--port needs a name" >&2; exit 2; }; port=$2; shift 2 ;;
    --sim-only) sim_only=1; shift ;;
    -h|--help) usage; exit 0 ;;
    --) shift; break ;;
    *) echo "unknown option: $1 (see --help)" >&2; exit 2 ;;
  esac
done

bin="$build_dir/bin"
sim="$bin/qva-device-sim"
app="$bin/qva-setup"
if [ ! -x "$sim" ] || { [ "$sim_only" -eq 0 ] && [ ! -x "$app" ]; }; then
  echo "qva-device-sim and qva-setup are not built in $bin." >&2
  echo "Build them first:  cmake -S . -B build && cmake --build build" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qva-try-XXXXXX")
sim_pid=""
tail_pid=""
cleanup() {
  [ -z "$tail_pid" ] || kill "$tail_pid" 2>/dev/null || true
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

register="--select-port"
if [ "$keep_settings" -eq 1 ]; then
  [ -n "$port" ] || port=COM8
  register=""
  # A fixed link, so the port mapping left in your settings still leads to
  # the simulator the next time this script runs.
  link="${XDG_RUNTIME_DIR:-/tmp}/qva-device-sim-$(id -u)"
else
  [ -n "$port" ] || port=COM1
  link="$work/meter-tty"
  # A sandbox of settings: the program's store, recent files and its
  # single-instance lock live here and go away afterwards. The documents
  # folder stays the user's own.
  user_config=${XDG_CONFIG_HOME:-"$HOME/.config"}
  mkdir -p "$work/config" "$work/runtime"
  chmod 700 "$work/runtime"
  [ -f "$user_config/user-dirs.dirs" ] && cp "$user_config/user-dirs.dirs" "$work/config/"
  XDG_CONFIG_HOME="$work/config"
  XDG_RUNTIME_DIR="$work/runtime"
  export XDG_CONFIG_HOME XDG_RUNTIME_DIR
fi

"$sim" --link "$link" --register-port "$port" $register --log --state-file "$work/meter.json" "$@" \
  >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!

# Wait for the simulator's "PTY path" line (or its early exit).
tries=0
until [ -s "$work/sim.out" ]; do
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    cat "$work/sim.log" >&2
    sim_pid=""
    exit 1
  fi
  tries=$((tries + 1))
  [ "$tries" -le 100 ] || { echo "the simulator did not start" >&2; exit 1; }
  sleep 0.1
done
pty=$(sed -n '1s/^PTY //p' "$work/sim.out")

echo "Simulated meter on $pty (link $link), port name $port."
if [ "$sim_only" -eq 1 ]; then
  echo "For example:  $bin/qva-cli get --port $link -o FromMeter.Q11"
  echo "Press Ctrl-C to stop. Requests are logged below."
  tail -f "$work/sim.log" &
  tail_pid=$!
  wait "$sim_pid" || true
  sim_pid=""
  exit 0
fi
if [ "$keep_settings" -eq 1 ]; then
  echo "Choose $port under Options > Communications Port to talk to it."
fi
status=0
"$app" || status=$?
echo "The simulated meter's log: (requests and copies to EEPROM)"
tail -n 20 "$work/sim.log"
exit $status
