#!/bin/sh
# Installs what is missing, builds, and runs every test: once on a normal
# build, once more with AddressSanitizer and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh test

# The layout is the formatter's: a file it would change fails the run.
git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' | xargs clang-format --dry-run --Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
(cd build && ctest -j4 --output-on-failure)

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVMB_SANITIZE=ON
cmake --build build-sanitize -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
(cd build-sanitize && ctest -j4 --output-on-failure)
