#!/usr/bin/env bash
# Fault soak of the Get and Send procedures: a benchmark, not a test.
# Runs qva-cli get and qva-cli send against qva-device-sim, which gives a
# share of the exchanges a random fault (silence, CRC, start byte, sequence,
# type, data flag, length, NAK, garbage), and counts how each run ended:
#   - success with exactly the configuration (checked with qva-cli diff);
#   - failure with the link's message and its exit code (5);
# and the things that must never happen: a corrupt configuration accepted,
# the meter left with a configuration other than the old or the new one
# (or one whose cfg_crc16 is wrong), a backup lost or left writable.
#
#   scripts/soak.sh [--runs N] [--fault-rate PERCENT] [--seed S] [--bin DIR] [--keep]
#   --runs N          Get runs and Send runs each (default 100)
#   --fault-rate P    share of exchanges with a fault, percent (default 3)
#   --seed S          first seed; run i uses seed S+i (default 1)
#   --bin DIR         where qva-cli and qva-device-sim are (default build/bin;
#                     built there with cmake when missing)
#   --keep            keep the temporary folder (logs of every run)
# Everything happens in a temporary HOME and settings folder; the user's own
# settings and folders are never touched. Exit status 1 when a run broke a
# rule, 0 otherwise (failures with the link's message are expected).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

RUNS=100
RATE=3
SEED=1
BIN=build/bin
KEEP=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) RUNS=$2; shift 2 ;;
    --fault-rate) RATE=$2; shift 2 ;;
    --seed) SEED=$2; shift 2 ;;
    --bin) BIN=$2; shift 2 ;;
    --keep) KEEP=1; shift ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    *) echo "soak.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ ! -x "$BIN/qva-cli" ] || [ ! -x "$BIN/qva-device-sim" ]; then
  build_dir=$(dirname "$BIN")
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
    cmake --build "$build_dir" -j"$(nproc)" --target qva-cli qva-device-sim >/dev/null || exit 2
fi
CLI=$(realpath "$BIN/qva-cli")
SIM=$(realpath "$BIN/qva-device-sim")
command -v python3 >/dev/null || { echo "soak.sh: needs python3 to write the sample files" >&2; exit 2; }

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/qva-soak.XXXXXX")
cleanup() {
  [ -n "${SIM_PID:-}" ] && kill -TERM "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  if [ "$KEEP" -eq 1 ]; then echo "Logs kept in $ROOT"; else rm -rf "$ROOT"; fi
}
trap cleanup EXIT
export HOME=$ROOT/home XDG_CONFIG_HOME=$ROOT/config XDG_RUNTIME_DIR=$ROOT/runtime TMPDIR=$ROOT/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR" "$ROOT/samples" "$ROOT/logs"
chmod 700 "$XDG_RUNTIME_DIR"
EEPROM=$ROOT/eeprom.Q11   # the meter's stored configuration, kept by the simulator
STATE=$ROOT/state.json
OUT=$ROOT/got.Q11

SIM_PID=""
PORT=""
start_sim() {  # seed, fault rate
  : >"$ROOT/sim.out"
  "$SIM" --no-pacing --eeprom "$EEPROM" --state-file "$STATE" --fault-rate "$2" --seed "$1" \
    >"$ROOT/sim.out" 2>>"$ROOT/logs/sim.err" &
  SIM_PID=$!
  local line=""
  for _ in $(seq 200); do
    line=$(head -n1 "$ROOT/sim.out")
    [[ $line == PTY* ]] && break
    sleep 0.02
  done
  [[ $line == PTY* ]] || { echo "soak.sh: the simulator did not start" >&2; exit 2; }
  PORT=${line#PTY }
}
stop_sim() {
  kill -TERM "$SIM_PID" 2>/dev/null
  wait "$SIM_PID" 2>/dev/null
  SIM_PID=""
}
same_config() {  # two setup files hold the same 672 bytes
  local d
  d=$("$CLI" diff "$1" "$2" 2>&1) && [ -z "$d" ]
}

# Sample configurations: a sensor type and random contents elsewhere. Each
# goes to the meter once without faults and comes back sealed, so that its
# cfg_crc16 is the meter's and a later get must return it byte for byte.
python3 - "$ROOT/samples" "$SEED" <<'PY'
import random, struct, sys
folder, seed = sys.argv[1], int(sys.argv[2])
def chunk_header(tag, length):
    return tag + b"\0" + struct.pack("<II", 1, length)
for k in range(4):
    rnd = random.Random(seed * 100 + k)
    record = bytearray(rnd.getrandbits(8) for _ in range(672))
    record[0:2] = struct.pack("<H", 110)   # version
    record[2:4] = b"\0\0"                  # cfg_crc16, sealed by the program
    record[4] = 1 + k % 3                  # sensor_type
    body = bytearray(240)
    body[0:18] = b"QVA Configuration\0"
    body[64:68] = struct.pack("<I", 2)
    body[70] = 0x1A
    data = chunk_header(b"QVASETP", 256) + body + chunk_header(b"QVA_CFG", 688) + record
    open(f"{folder}/raw{k}.Q11", "wb").write(data)
PY
for k in 0 1 2 3; do
  start_sim 0 0
  "$CLI" send --port "$PORT" "$ROOT/samples/raw$k.Q11" 2>>"$ROOT/logs/prepare.err" ||
    { echo "soak.sh: preparing sample $k failed (see $ROOT/logs/prepare.err)" >&2; KEEP=1; exit 2; }
  stop_sim
  start_sim 0 0
  "$CLI" get --port "$PORT" -o "$ROOT/samples/k$k.Q11" 2>>"$ROOT/logs/prepare.err" ||
    { echo "soak.sh: preparing sample $k failed (see $ROOT/logs/prepare.err)" >&2; KEEP=1; exit 2; }
  stop_sim
done
# Start counting backups from none.
backups_root=$(find "$HOME" -type d -name "From Device Backups" | head -n1)
[ -n "$backups_root" ] || { echo "soak.sh: no From Device Backups folder was made" >&2; exit 2; }
chmod -R u+w "$backups_root" && rm -f "$backups_root"/*

intro="There was an error communicating with the device."
get_exact=0 get_failed=0 get_other=0
send_exact=0 send_failed_old=0 send_failed_new=0 send_other=0
corrupt_accepted=0 half_written=0 bad_stored_crc=0 backups_lost=0 backups_writable=0 backup_wrong=0
backups_made=0
declare -A exit_codes=()

faults_injected=0
requests_served=0
check_state() {
  local n
  n=$(sed -n 's/^ *"faults": *\([0-9]*\).*/\1/p' "$STATE" | head -n1)
  faults_injected=$((faults_injected + ${n:-0}))
  n=$(sed -n 's/^ *"requests": *\([0-9]*\).*/\1/p' "$STATE" | head -n1)
  requests_served=$((requests_served + ${n:-0}))
  if ! grep -q '"stored_config_crc_valid": true' "$STATE"; then
    bad_stored_crc=$((bad_stored_crc + 1))
    echo "run $1: the meter holds a configuration with a wrong cfg_crc16" >&2
  fi
}

started=$(date +%s)
current=3  # the sample the meter holds after preparing
for ((i = 1; i <= RUNS; i++)); do
  # Get.
  seed=$((SEED + 2 * i))
  err="$ROOT/logs/get$i.err"
  rm -f "$OUT"
  start_sim "$seed" "$RATE"
  "$CLI" get --port "$PORT" -o "$OUT" 2>"$err"
  rc=$?
  stop_sim
  exit_codes["get $rc"]=$(( ${exit_codes["get $rc"]:-0} + 1 ))
  check_state "get $i"
  if [ "$rc" -eq 0 ]; then
    if same_config "$OUT" "$EEPROM"; then
      get_exact=$((get_exact + 1))
    else
      corrupt_accepted=$((corrupt_accepted + 1))
      echo "get $i: accepted a configuration other than the meter's (seed $seed)" >&2
    fi
  elif [ "$rc" -eq 5 ] && grep -qF "$intro" "$err" && [ ! -e "$OUT" ]; then
    get_failed=$((get_failed + 1))
  else
    get_other=$((get_other + 1))
    echo "get $i: exit $rc (seed $seed): $(tr '\n' ' ' <"$err" | cut -c1-300)" >&2
  fi

  # Send: always a sample other than the one the meter holds.
  seed=$((SEED + 2 * i + 1))
  next=$(( (current + 1) % 4 ))
  sample="$ROOT/samples/k$next.Q11"
  err="$ROOT/logs/send$i.err"
  cp "$EEPROM" "$ROOT/before.Q11"
  start_sim "$seed" "$RATE"
  "$CLI" send --port "$PORT" "$sample" 2>"$err"
  rc=$?
  stop_sim
  exit_codes["send $rc"]=$(( ${exit_codes["send $rc"]:-0} + 1 ))
  check_state "send $i"
  if same_config "$EEPROM" "$sample"; then holds=new
  elif same_config "$EEPROM" "$ROOT/before.Q11"; then holds=old
  else holds=other; fi
  if [ "$holds" = other ]; then
    half_written=$((half_written + 1))
    echo "send $i: the meter holds neither the old nor the new configuration (seed $seed)" >&2
  fi
  if [ "$rc" -eq 0 ]; then
    if [ "$holds" = new ]; then send_exact=$((send_exact + 1)); else
      corrupt_accepted=$((corrupt_accepted + 1))
      echo "send $i: reported sent, but the meter holds the $holds configuration (seed $seed)" >&2
    fi
  elif [ "$rc" -eq 5 ] && grep -qF "$intro" "$err"; then
    if [ "$holds" = new ]; then send_failed_new=$((send_failed_new + 1)); else send_failed_old=$((send_failed_old + 1)); fi
  else
    send_other=$((send_other + 1))
    echo "send $i: exit $rc (seed $seed): $(tr '\n' ' ' <"$err" | cut -c1-300)" >&2
  fi
  [ "$holds" = new ] && current=$next

  # Backups: one per send that read the old configuration, at most 10 kept,
  # all read-only, the newest holding what the meter had before.
  made=$(grep -c '^Saving old configuration' "$err")
  backups_made=$((backups_made + made))
  expected=$(( backups_made < 10 ? backups_made : 10 ))
  count=$(find "$backups_root" -maxdepth 1 -type f | wc -l)
  if [ "$count" -ne "$expected" ]; then
    backups_lost=$((backups_lost + 1))
    echo "send $i: $count backups, expected $expected" >&2
  fi
  writable=$(find "$backups_root" -maxdepth 1 -type f -perm /222 | wc -l)
  [ "$writable" -ne 0 ] && backups_writable=$((backups_writable + writable))
  if [ "$made" -gt 0 ]; then
    newest=$(find "$backups_root" -maxdepth 1 -type f -printf '%T@ %p\n' | sort -n | tail -n1 | cut -d' ' -f2-)
    if [ -z "$newest" ] || ! same_config "$newest" "$ROOT/before.Q11"; then
      backup_wrong=$((backup_wrong + 1))
      echo "send $i: the newest backup does not hold the meter's previous configuration" >&2
    fi
  fi
done
elapsed=$(( $(date +%s) - started ))

echo "Fault soak: $RUNS get and $RUNS send runs, fault rate $RATE %, seeds from $SEED, $elapsed s"
echo "Requests received by the simulator: $requests_served, faults injected: $faults_injected"
printf 'Get  : %4d exact configuration, %4d failed with the link message (exit 5), %4d otherwise\n' \
  "$get_exact" "$get_failed" "$get_other"
printf 'Send : %4d stored exactly, %4d failed with the link message (exit 5; meter kept the old: %d, has the new: %d), %4d otherwise\n' \
  "$send_exact" $((send_failed_old + send_failed_new)) "$send_failed_old" "$send_failed_new" "$send_other"
printf 'Exit codes:'
for key in $(printf '%s\n' "${!exit_codes[@]}" | sort | tr ' ' '_'); do printf ' %s=%d' "${key/_/ }" "${exit_codes[${key/_/ }]}"; done
printf '\n'
printf 'Backups made: %d, kept: %d (read-only: all but %d)\n' "$backups_made" \
  "$(find "$backups_root" -maxdepth 1 -type f | wc -l)" "$backups_writable"
printf 'Never: corrupt accepted %d, meter holding neither old nor new %d, stored cfg_crc16 wrong %d, backups lost %d, writable backups %d, wrong backup %d\n' \
  "$corrupt_accepted" "$half_written" "$bad_stored_crc" "$backups_lost" "$backups_writable" "$backup_wrong"
violations=$((corrupt_accepted + half_written + bad_stored_crc + backups_lost + backups_writable + backup_wrong + get_other + send_other))
[ "$violations" -eq 0 ]
