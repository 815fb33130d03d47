#!/usr/bin/env bash
# Builds and runs the whole test suite: once as a normal build, once with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the threaded tests (exchange thread, scanners, the window; CTest
# label "threaded") once more with ThreadSanitizer. Warnings are errors here. The normal build also
# checks the desktop files, the guide and the manual pages, and builds the Debian package and runs
# the program from it (ctest -R Packaging).
#   scripts/test.sh            both configurations
#   scripts/test.sh --quick    the normal build only
#   scripts/test.sh -R regex   pass ctest options (e.g. run one test) to both
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

quick=0
ctest_args=()
for arg in "$@"; do
  if [ "$arg" = "--quick" ]; then quick=1; else ctest_args+=("$arg"); fi
done

# The first argument is the build folder, the second the generator ("default": CMake's own choice,
# Unix Makefiles, as packagers and most users build; it does not make output folders by itself).
run_config() {
  local dir="$1" generator="$2"; shift 2
  local generator_args=(-G "$generator")
  if [ "$generator" = "default" ]; then generator_args=(); fi
  cmake -S "$root" -B "$dir" "${generator_args[@]}" -DZR740_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j2
  (cd "$dir" && ctest --output-on-failure -j2 "${ctest_args[@]}")
}

echo "== normal build =="
run_config "$root/build-test" Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "$quick" -eq 0 ]; then
  echo "== sanitizer build (ASan+UBSan) =="
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run_config "$root/build-asan" default -DCMAKE_BUILD_TYPE=Debug -DZR740_SANITIZE=ON -DZR740_BENCH=OFF

  echo "== threaded tests (ThreadSanitizer) =="
  # Qt's libraries are not built for the sanitizer: their own memory accesses are left out, and
  # the program hands work between threads through queues of its own, whose locks it sees.
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1
  tsan="$root/build-tsan"
  cmake -S "$root" -B "$tsan" -G Ninja -DZR740_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR740_TSAN=ON \
    -DZR740_BENCH=OFF >/dev/null
  cmake --build "$tsan" -j2 --target test_app test_integration test_ui
  (cd "$tsan" && ctest --output-on-failure -j2 -L threaded "${ctest_args[@]}")
fi
