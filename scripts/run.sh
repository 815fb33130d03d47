#!/usr/bin/env bash
# Builds the program and runs its main job: an unattended read of the instrument into demo.zr740
# (in build/), then a short summary of it (the whole file: build/bin/zr740-dump build/demo.zr740).
#   scripts/run.sh                      against the built-in instrument simulator on a pseudo-terminal
#   scripts/run.sh OPTIONS... [FILE]    the program itself, e.g. -read/close/port:/dev/ttyUSB0 line3.zr740
#   scripts/run.sh --help               the program's options and exit codes
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZR740_TESTS=OFF -DZR740_BENCH=OFF >/dev/null
cmake --build "$root/build" -j2
bin="$root/build/bin"

if [ $# -gt 0 ]; then
  exec "$bin/zr740" "$@"
fi

# No instrument given: start the simulator on a pseudo-terminal and talk to it.
workdir="$(mktemp -d)"
port="$workdir/zr740-sim"
"$bin/zr740-sim" --link "$port" >"$workdir/sim.log" 2>&1 &
sim=$!
cleanup() { kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$workdir"; }
trap cleanup EXIT
for _ in $(seq 50); do
  [ -e "$port" ] && break
  sleep 0.1
done
if [ ! -e "$port" ]; then
  echo "the simulator did not start:" >&2
  cat "$workdir/sim.log" >&2
  exit 1
fi
echo "Simulator on $(readlink "$port")"
demo="$root/build/demo.zr740"
# Keep the user's own link settings out of the demonstration.
status=0
# The job's progress lines go to a log beside the file; messages still reach the terminal.
XDG_CONFIG_HOME="$workdir/config" "$bin/zr740" -read/close/port:"$port" "$demo" >"${demo%.zr740}.log" || status=$?
# Where a read partly failed, the named file keeps what it had and the result lies beside it.
result="$demo"
[ "$status" -eq 207 ] && result="${demo%.zr740}.partial.zr740"
if [ -s "$result" ]; then
  "$bin/zr740-dump" "$result" | awk -v file="$result" '
    /^      name "/   { name = substr($0, 13, length($0) - 13) }
    /^      value "/  { value = substr($0, 14, length($0) - 14); total++
                        if (name == "0x0000") instrument = value
                        if (value == "Нет данных") unread++ }
    /^      status "/ { if ($0 != "      status \"\"") failed++ }
    END { printf "instrument:  %s\nparameters:  %d, read %d, failed %d\nfile:        %s\n",
                 instrument, total, total - unread, failed, file }'
  echo "whole file:  $bin/zr740-dump $result"
  echo "job log:     ${demo%.zr740}.log"
fi
echo "exit code:   $status"
exit "$status"
