#!/usr/bin/env bash
# Installs what is missing, builds the test build (AddressSanitizer and UndefinedBehaviorSanitizer),
# checks that its sources compile for Windows and runs every test; builds the optimised tree too,
# whose warnings differ, and checks its installation and Debian package as shipped; then runs each
# fuzz target for a short smoke (30 s, its seed corpus replayed first).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLORIM_SANITIZE=ON -DLORIM_TESTS=ON >/dev/null
cmake --build build/test
./scripts/wincheck.sh build/test
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --output-on-failure -j2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORIM_TESTS=ON >/dev/null
cmake --build build/release
ctest --test-dir build/release --output-on-failure -R '^Install\.'
./scripts/fuzz.sh 30
