#!/usr/bin/env bash
# Builds everything and runs every test, headless. Works from a fresh clone on Debian 12.
# Then, unless TYX_SANITIZERS=0: the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer (out-asan/), and the tests that start the compile thread under
# ThreadSanitizer (out-tsan/). The sanitizer builds leave out the benchmark; the Wine, install and
# package checks (which run other programs on our files) run in the ordinary build only.
#
# Both cores work all the way: the builds and the tests run two at a time (every test keeps to
# its own folders and picks a free display of its own). The sanitizer builds are made with -O1
# and line tables only: a third less to compile, and their reports still name file and line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=${TYX_JOBS:-2}
sanitizer_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")

cmake -S . -B out -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTYX_WERROR=ON
cmake --build out -j"$jobs"
(cd out && ctest --output-on-failure -j"$jobs")

[ "${TYX_SANITIZERS:-1}" = 1 ] || exit 0

# Every report (leaks included) stops the test that caused it.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B out-asan "${sanitizer_flags[@]}" -DTYX_WERROR=ON -DTYX_SANITIZE=address,undefined -DTYX_BENCH=OFF
cmake --build out-asan -j"$jobs"
# The Wine checks and the install and package checks test other programs (Wine, dpkg, lintian)
# on our files, not our code: the ordinary build runs them.
(cd out-asan && ctest --output-on-failure -j"$jobs" -E '^(wine_.*|install_destdir|desktop_files|debian_package)$')

# The compile thread: the main window's build (F9) and the compiler it runs.
# Qt is not built with ThreadSanitizer: what its own threads do (fonts, images) is left out, since
# the synchronisation inside it cannot be seen; our code's accesses are all checked.
# A process Qt starts (the desktop's opener) is made by a clone that ThreadSanitizer takes for a
# fork of this multi-threaded program: without die_after_fork=0 the next compile thread stops the test.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:die_after_fork=0:suppressions=$PWD/scripts/sanitizers/tsan.supp
cmake -S . -B out-tsan "${sanitizer_flags[@]}" -DTYX_WERROR=ON -DTYX_SANITIZE=thread -DTYX_BENCH=OFF
cmake --build out-tsan -j"$jobs" --target tyx_test_app
TYX_TEST_CLASSES=MainFormBuildTest out-tsan/tests/tyx_test_app
