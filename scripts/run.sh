#!/usr/bin/env bash
# Builds the program and runs its main job.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZR740_TESTS=OFF >/dev/null
cmake --build "$root/build" -j2
"$root/build/bin/zr740" "$@"
