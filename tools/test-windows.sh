#!/usr/bin/env bash
# Tests the Windows build under wine, on an X server of its own:
#  1. the tests that need no window, cross-compiled, through CTest;
#  2. the game from the unpacked zip, in a folder and a profile with
#     non-ASCII names: the first frames show the scene and the HUD, F12
#     writes a PNG under %LOCALAPPDATA%\Pizzeria\screenshots, Escape ends
#     with 0; without a texture it ends with the Linux build's ERROR line
#     and 1;
#  3. the installer (/S): the Start-menu shortcut starts the game, which
#     ends with 0, and the uninstaller (/S) leaves nothing behind.
# Builds first (tools/build-windows.sh --package). Environment:
# PIZZERIA_HOST_BUILD (native build folder, default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"

if [ -z "${PIZZERIA_WINDOWS_TEST_DISPLAY:-}" ]; then
  ./tools/build-windows.sh --package
  host="${PIZZERIA_HOST_BUILD:-build}"
  # The screen grabber, and the Linux game as the reference for messages.
  cmake --build "$host" --target pizzeria pizzeria_xgrab -j"$(nproc)"
  PIZZERIA_HOST_BUILD="$(cd "$host" && pwd)"
  export PIZZERIA_HOST_BUILD PIZZERIA_WINDOWS_TEST_DISPLAY=1
  exec env -u DISPLAY ./tools/with-display.sh "$0" "$@"
fi

host="$PIZZERIA_HOST_BUILD"
xgrab="$host/tools/xgrab/pizzeria_xgrab"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)"
zip="$repo/build-windows/pizzeria-$version-win64.zip"
installer="$repo/build-windows/pizzeria-$version-win64.exe"
patience=180

export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/pizzeria-windows/wineprefix}"
# No Mono or Gecko dialogs; without wine's ALSA driver SDL finds no sound
# device, as on a machine without one.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d" LANG=C.UTF-8
unset SDL_AUDIODRIVER
# A fresh machine has no prefix yet, and the server needs its folder.
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot --init >/dev/null 2>&1
fi
# One server for every run (each wine start would otherwise start one); one
# still up from wineboot or an earlier run serves as well.
wineserver -p30 2>/dev/null || true

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
started=$SECONDS

# ---------------------------------------------------------------------------
echo "== the executable"
# Everything is linked in: only DLLs that come with every Windows.
dlls="$(x86_64-w64-mingw32-objdump -p build-windows/run/pizzeria.exe |
  sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')"
system='advapi32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 opengl32 setupapi shell32 user32 version winmm'
foreign=""
for dll in $dlls; do
  case " $system " in *" ${dll%.dll} "*) ;; *) foreign="$foreign $dll" ;; esac
done
if [ -z "$foreign" ]; then pass "only system DLLs: $dlls"; else fail "needs DLLs:$foreign"; fi
headers="$(x86_64-w64-mingw32-objdump -p build-windows/run/pizzeria.exe)"
if grep -q 'Subsystem.*Windows CUI' <<<"$headers"; then
  pass "a console program"
else
  fail "not a console program"
fi
# What Explorer's Properties show comes from the version resource.
if strings -el build-windows/run/pizzeria.exe | grep -A1 -x ProductVersion | grep -qx "$version"; then
  pass "version information: $version"
else
  fail "no version information for $version"
fi

# ---------------------------------------------------------------------------
echo "== unit tests under wine"
ctest --test-dir build-windows --output-on-failure -j2 || fail "unit tests under wine"

# ---------------------------------------------------------------------------
# Starts the game in the background (game_pid): $1 the output files' prefix,
# $2 the working directory, the rest the command.
start_game() {
  local out="$1" dir="$2"
  shift 2
  (cd "$dir" && exec "$@") >"$out.out" 2>"$out.err" </dev/null &
  game_pid=$!
}

# The game's window id, once mapped; empty after $patience seconds.
wait_window() {
  local id="" _
  for _ in $(seq 1 "$patience"); do
    id="$(xdotool search --onlyvisible --name '^Pizzeria$' 2>/dev/null | head -n1 || true)"
    [ -n "$id" ] && break
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 1
  done
  printf '%s' "$id"
}

# Waits for a line in the game's output ($1 the file), $patience seconds.
wait_line() {
  local _
  for _ in $(seq 1 "$patience"); do
    grep -q -- "$2" "$1" && return 0
    kill -0 "$game_pid" 2>/dev/null || { grep -q -- "$2" "$1"; return; }
    sleep 1
  done
  return 1
}

# Waits for the game to end; its exit code in `code` (124: it did not end).
wait_end() {
  local _
  for _ in $(seq 1 "$patience"); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 1
  done
  if kill -0 "$game_pid" 2>/dev/null; then
    kill "$game_pid"
    wait "$game_pid" || true
    code=124
    return
  fi
  code=0
  wait "$game_pid" || code=$?
}

key() { xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true; xdotool key --window "$1" "$2"; }

# Grabs the window until a frame shows the scene and the HUD.
wait_first_frame() {
  local _
  for _ in $(seq 1 "$patience"); do
    if "$xgrab" "$work/frame.png" Pizzeria 2>/dev/null &&
      python3 "$repo/tests/windows/frame_check.py" "$work/frame.png" >"$work/frame.txt"; then
      return 0
    fi
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 1
  done
  return 1
}

# ---------------------------------------------------------------------------
echo "== the game from the zip, in 'Pizzeria Spiel Zoë'"
folder="$work/Pizzeria Spiel Zoë"
mkdir -p "$folder"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$folder"
run="$folder/pizzeria-$version-win64"
profile="$work/Zoë/AppData/Local"
mkdir -p "$profile"
local_appdata="$(winepath -w "$profile")"
# Wine sets LOCALAPPDATA from its registry; cmd hands the game another.
start_game "$work/zip" "$run" wine cmd /c "set LOCALAPPDATA=$local_appdata&& pizzeria.exe 400 300"
window="$(wait_window)"
if [ -z "$window" ]; then
  fail "no game window"
  cat "$work/zip.out" "$work/zip.err" >&2
else
  pass "the window opened"
  # The resource file's icon reaches the window: wine hands it to X.
  xprop -id "$window" -f _NET_WM_ICON 32c _NET_WM_ICON >"$work/icon.txt" 2>&1 || true
  if icon="$(python3 "$repo/tests/windows/icon_check.py" "$work/icon.txt" \
    build-windows/packaging/pizzeria-256.png)"; then
    pass "the window shows the game's icon: $icon"
  else
    fail "the window's icon: $icon"
  fi
  if wait_first_frame; then pass "first frame: $(cat "$work/frame.txt")"; else
    fail "the first frames never showed the scene and the HUD ($(cat "$work/frame.txt" 2>/dev/null))"
    cp "$work/frame.png" "$repo/build-windows/failed-frame.png" 2>/dev/null || true
  fi
  if cat "$work/zip.out" "$work/zip.err" | tr -d '\r' |
    grep -qx "WARNING: no sound device found, playing silently"; then
    pass "no sound device: the warning"
  else
    fail "no warning about the missing sound device"
  fi
  key "$window" F12
  if wait_line "$work/zip.out" "^screenshot saved to "; then
    saved="$(sed -n 's/^screenshot saved to //p' "$work/zip.out" | tr -d '\r')"
    shots=("$profile"/Pizzeria/screenshots/pizzeria-*.png)
    if [ -f "${shots[0]}" ] && head -c 8 "${shots[0]}" | grep -q PNG &&
      [ "$saved" = "$(winepath -w "${shots[0]}")" ]; then
      pass "F12: $saved"
    else
      fail "F12 printed '$saved', the profile holds: $(ls -R "$profile")"
    fi
  else
    fail "F12 wrote no screenshot"
  fi
  key "$window" Escape
  wait_end
  if [ "$code" = 0 ]; then pass "Escape ends with 0"; else fail "Escape: exit code $code"; fi
fi
grep -q "^ERROR" "$work/zip.out" "$work/zip.err" && fail "$(grep -h "^ERROR" "$work/zip."*)"

# ---------------------------------------------------------------------------
echo "== a missing texture"
texture=GameObjects/MainCharacter/mainCharacter.jpg
cp -a "$host/run" "$work/linux"
rm "$work/linux/$texture" "$run/$texture"
linux_code=0
(cd "$work/linux" && SDL_AUDIODRIVER=dummy timeout "$patience" ./pizzeria 400 300 \
  >"$work/linux.out" 2>/dev/null) || linux_code=$?
expected="$(grep "^ERROR" "$work/linux.out" || true)"
fatal_start=$SECONDS
start_game "$work/missing" "$run" wine pizzeria.exe 400 300
wait_end
fatal_took=$((SECONDS - fatal_start))
got="$(grep -h "^ERROR" "$work/missing.out" | tr -d '\r' || true)"
if [ -n "$expected" ] && [ "$got" = "$expected" ] && [ "$code" = 1 ] && [ "$linux_code" = 1 ]; then
  pass "$got, exit code 1"
else
  fail "missing texture: Linux '$expected' ($linux_code), Windows '$got' ($code)"
fi

# Started as from Explorer, in a console of its own: the message waits for
# Enter, so the game is still there at twice the time the error took above;
# Enter then ends it with code 1. (Wine's console under Xvfb takes no keys
# from X: a helper writes the key into the game's console.)
start_game "$work/own" "$run" wine start /wait "$(winepath -w "$run/pizzeria.exe")" 400 300
sleep $((2 * fatal_took + 10))
if kill -0 "$game_pid" 2>/dev/null; then
  pass "a console of its own waits after the error"
  if wine build-windows/tests/pizzeria_press_enter.exe pizzeria.exe; then
    wait_end
    if [ "$code" = 1 ]; then pass "Enter ends it with 1"; else fail "after Enter: exit code $code"; fi
  else
    fail "could not press Enter in the game's console"
    pkill -f "pizzeria-$version-win64.pizzeria\.exe" || true
    wait_end
  fi
else
  fail "a console of its own: the game did not wait after the error"
fi

# ---------------------------------------------------------------------------
echo "== the installer"
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . -path ./users -prune -o -path ./windows -prune -o -print |
    sort)
  local key
  for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pizzeria' \
    'HKLM\Software\Pizzeria'; do
    if wine reg query "$key" >/dev/null 2>&1; then echo "registry: $key"; fi
  done
}
snapshot >"$work/before.txt"
wine "$installer" /S || fail "the installer failed"
installed="$WINEPREFIX/drive_c/Program Files/Pizzeria"
link="$(find "$WINEPREFIX/drive_c" -name Pizzeria.lnk -path '*Start Menu*' | head -n1)"
if [ -f "$installed/pizzeria.exe" ] && [ -n "$link" ]; then
  pass "installed, with a Start-menu shortcut"
  # As a double-click would: in a console of its own, in the shortcut's
  # folder. start returns at once, so the game is found by its command line.
  start_game "$work/shortcut" "$work" wine start "$(winepath -w "$link")"
  wait_end
  game_pid=""
  for _ in $(seq 1 30); do
    game_pid="$(pgrep -n -f 'Program Files.Pizzeria.pizzeria\.exe' || true)"
    [ -n "$game_pid" ] && break
    sleep 1
  done
  window="$(wait_window)"
  if [ -n "$window" ] && wait_first_frame; then
    pass "the shortcut starts the game in its folder"
  else
    fail "the shortcut did not start the game"
  fi
  if [ -n "$window" ]; then
    key "$window" Escape
    for _ in $(seq 1 "$patience"); do kill -0 "$game_pid" 2>/dev/null || break; sleep 1; done
    if kill -0 "$game_pid" 2>/dev/null; then fail "Escape did not end the game"; fi
  fi
  # The exit code, from a start in the installed folder.
  start_game "$work/installed" "$installed" wine pizzeria.exe 400 300
  window="$(wait_window)"
  if [ -n "$window" ] && wait_first_frame; then
    key "$window" Escape
    wait_end
    if [ "$code" = 0 ]; then pass "installed: Escape ends with 0"; else
      fail "installed: exit code $code"
    fi
  else
    fail "the installed game did not start: $(cat "$work/installed."*)"
    [ -z "$window" ] || key "$window" Escape
    wait_end
  fi
else
  fail "nothing installed at $installed or no shortcut"
fi
if [ -f "$installed/Uninstall.exe" ]; then
  wine "$installed/Uninstall.exe" /S || fail "the uninstaller failed"
  # The uninstaller runs on from a copy of itself.
  for _ in $(seq 1 60); do [ -e "$installed" ] || break; sleep 1; done
fi
snapshot >"$work/after.txt"
if diff "$work/before.txt" "$work/after.txt" >"$work/left.txt"; then
  pass "the uninstaller left nothing behind"
else
  fail "left behind after uninstalling: $(cat "$work/left.txt")"
fi

echo "== $((SECONDS - started)) s under wine, $failures failure(s)"
[ "$failures" = 0 ]
