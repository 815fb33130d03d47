#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package build/package/zr740_<version>_<arch>.deb from a release build (the same
# build folder as scripts/run.sh). Install it with: sudo apt install ./build/package/zr740_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZR740_TESTS=OFF -DZR740_BENCH=OFF >/dev/null
cmake --build "$root/build" -j2
rm -rf "$root/build/package"
(cd "$root/build" && cpack -G DEB >/dev/null)
ls "$root"/build/package/zr740_*.deb
