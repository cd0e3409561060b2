#!/bin/sh
# Installs what is missing, builds, and starts the program with the given
# argument (COM# or UDP#). Only the program is built, not the tests.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target VaroMsgBoard
exec build/VaroMsgBoard "$@"
