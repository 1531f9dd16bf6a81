#!/usr/bin/env bash
# Builds everything, then starts the game from its run folder. Arguments go
# to the game: [width height [fullscreen 0|1 [refresh rate]]].
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/build.sh
cd build/run
exec ./pizzeria "$@"
