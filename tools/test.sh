#!/usr/bin/env bash
# Builds everything, then runs the whole test suite (under Xvfb when there is
# no display, with SDL's silent audio driver).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/build.sh
export SDL_AUDIODRIVER=dummy
./tools/with-display.sh ctest --test-dir build --output-on-failure -j2 --timeout 300
