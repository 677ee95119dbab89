#!/usr/bin/env bash
# Builds everything and runs every test, headless. Works from a fresh clone on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B out -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTYX_WERROR=ON
cmake --build out -j2
export QT_QPA_PLATFORM=offscreen
cd out && ctest --output-on-failure -j1
