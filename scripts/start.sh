#!/usr/bin/env bash
# Builds the program and starts it. Works from a fresh clone on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
TYX_WITH_WINE="${TYX_WITH_WINE:-1}" bash scripts/install-deps.sh
cmake -S . -B out -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build out -j2 --target tyxplumet tyxbuild
exec ./out/src/app/tyxplumet "$@"
