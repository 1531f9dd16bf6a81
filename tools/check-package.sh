#!/usr/bin/env bash
# Installs the Debian package into a freshly bootstrapped, minimal Debian 12
# (a chroot: nothing of this machine's libraries leaks in), starts the game
# there through its launcher from a user's home folder, lets it run, ends it
# with Escape and expects exit code 0. Needs root and Debian's mirror.
#   ./tools/check-package.sh [path/to/pizzeria_*.deb]
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:-}
if [ -z "$deb" ]; then
  ./tools/build.sh
  (cd build && cpack -G DEB >/dev/null)
  deb=$(ls build/pizzeria_*_amd64.deb | head -n1)
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "check-package.sh: run as root (debootstrap and chroot need it)" >&2
  exit 2
fi
command -v debootstrap >/dev/null || apt-get install -y debootstrap

root=$(mktemp -d /tmp/pizzeria-deb12-XXXXXX)
cleanup() {
  for m in proc sys dev; do umount "$root/$m" 2>/dev/null || true; done
  # Only once nothing is mounted inside any more.
  if ! grep -q " $root/" /proc/mounts; then rm -rf "$root"; fi
}
trap cleanup EXIT

echo "== bootstrapping a minimal Debian 12 in $root"
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
for m in proc sys dev; do mount --bind "/$m" "$root/$m"; done
cp /etc/resolv.conf "$root/etc/"
cp "$deb" "$root/tmp/pizzeria.deb"

echo "== installing $(basename "$deb") with its dependencies"
chroot "$root" bash -c 'apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/pizzeria.deb xvfb xdotool >/dev/null'

echo "== playing"
cat >"$root/tmp/play.sh" <<'EOF'
#!/bin/bash
Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 2
export DISPLAY=:77 SDL_AUDIODRIVER=dummy
mkdir -p /home/player && cd /home/player
pizzeria 800 600 >/tmp/game.out 2>/tmp/game.err </dev/null &
game=$!
window=
for _ in $(seq 1 120); do
  window=$(xdotool search --name '^Pizzeria$' 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  sleep 0.5
done
sleep 10
[ -n "$window" ] && xdotool key --window "$window" Escape
code=0
wait "$game" || code=$?
kill "$xvfb"
echo "--- standard output"; cat /tmp/game.out
echo "--- standard error"; cat /tmp/game.err
if [ -z "$window" ]; then echo "no game window appeared"; exit 1; fi
echo "exit code $code"
exit "$code"
EOF
chmod +x "$root/tmp/play.sh"
if timeout 300 chroot "$root" /tmp/play.sh; then
  echo "== the package installs and runs on a clean Debian 12"
else
  echo "== the package failed on a clean Debian 12" >&2
  exit 1
fi
