#!/usr/bin/env bash
# Runs a command with an X display. When DISPLAY is unset (CI, a headless
# machine) it starts Xvfb, whose OpenGL is Mesa's software renderer, and
# stops it afterwards.
set -euo pipefail

if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi

number=90
while [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ]; do
  number=$((number + 1))
done

Xvfb ":${number}" -screen 0 1600x1000x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true' EXIT

for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X${number}" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "with-display: Xvfb did not start" >&2
    exit 1
  fi
  sleep 0.1
done

export DISPLAY=":${number}"
export LIBGL_ALWAYS_SOFTWARE=1
"$@"
