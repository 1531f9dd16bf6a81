#!/usr/bin/env bash
# Takes the technique screenshots from the running game under Xvfb, one fresh
# start per picture so the orbiting camera is at its start position.
# Usage: [ONLY="name ..."] docs/techniques/capture.sh BUILD_DIR [OUT_DIR]
# Needs xdotool and ImageMagick's convert (shrinks the PNGs for the README).
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mkdir -p "${2:-$(dirname "$0")}" && cd "${2:-$(dirname "$0")}" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/../../tools/with-display.sh" "$0" "$build" "$out"
fi

# shot NAME KEY...: start the game at SIZE (WIDTHxHEIGHT), press the keys,
# let a few frames pass, grab the window.
shot() {
  local name=$1 size=${SIZE:-1200x800}
  shift
  [[ -z "${ONLY:-}" || " $ONLY " == *" $name "* ]] || return 0
  (cd "$build/run" && SDL_AUDIODRIVER=dummy exec ./pizzeria "${size%x*}" "${size#*x}" \
    >/dev/null 2>&1) &
  local game=$!
  sleep 7
  for key in "$@"; do
    xdotool key "$key"
    sleep 1
  done
  sleep 4
  "$build/tools/xgrab/pizzeria_xgrab" "$out/$name.png" Pizzeria
  xdotool key Escape
  wait "$game" || true
  convert "$out/$name.png" -resize "960x640>" -colors 255 -define png:compression-level=9 \
    "$out/$name.png"
}

shot default                 # Phong: "blinn" keeps 0 until the second B
shot shadows-off F7
shot shadow-debug J
shot blinn-phong B B
shot cel-shading F10
shot minimap X
shot minimap-culling-off X F8
shot wireframe F3
shot texture-nearest F4 F4
# Software GL draws occlusion at about 2 frames a second at 1200 x 800; frames
# that long upset the cook's gravity step, so these two are taken small.
SIZE=480x320 shot ssao F6
SIZE=480x320 shot ssao-debug F6 F11
