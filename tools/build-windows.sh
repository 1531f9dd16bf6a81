#!/usr/bin/env bash
# Cross-builds the game for 64-bit Windows into build-windows/: the static
# libraries first (tools/build-windows-deps.sh), then the game with the data a
# native build generated, then the packages.
#
#   tools/build-windows.sh            build build-windows/run/pizzeria.exe
#   tools/build-windows.sh --package  also the .zip and the installer
#
# Environment: PIZZERIA_HOST_BUILD (native build folder whose run/ holds the
# generated data; default build/, configured and built there when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

package=0
case "${1:-}" in
  --package) package=1 ;;
  "") ;;
  *) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac

./tools/build-windows-deps.sh
prefix="$(./tools/build-windows-deps.sh --print-prefix)"
[ -d "$prefix/lib" ] || { echo "build-windows: no library prefix at $prefix" >&2; exit 1; }

launcher="$(command -v ccache || true)"
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true

# The assets come from the Linux generator; only its target is built.
host="${PIZZERIA_HOST_BUILD:-build}"
./tools/install-deps.sh
if [ ! -f "$host/CMakeCache.txt" ]; then
  cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DCMAKE_C_COMPILER_LAUNCHER="$launcher"
fi
cmake --build "$host" --target pizzeria_assets -j"$(nproc)"

cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DPIZZERIA_WINDOWS_PREFIX="$prefix" \
  -DPIZZERIA_HOST_RUN_DIR="$(cd "$host" && pwd)/run" \
  -DPIZZERIA_WERROR="${PIZZERIA_WERROR:-OFF}" \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DCMAKE_C_COMPILER_LAUNCHER="$launcher"
cmake --build build-windows -j"$(nproc)"

if [ "$package" = 1 ]; then
  (cd build-windows && cpack -C Release)
fi
