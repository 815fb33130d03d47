#!/usr/bin/env bash
# Renders the README's pictures of the window (docs/screenshots/*.png) offscreen, against the
# instrument simulator. Uses the normal build of the test command (build-test).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target zr740-screenshots
QT_QPA_PLATFORM=offscreen "$build/bin/zr740-screenshots" "$root/docs/screenshots"
