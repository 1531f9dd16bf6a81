#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
# ccache keeps compiled objects outside the clone, so a fresh clone on a
# machine that built before compiles only what changed, wherever it lies.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIZZERIA_WERROR="${PIZZERIA_WERROR:-OFF}" \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" \
  -DCMAKE_C_COMPILER_LAUNCHER="$(command -v ccache || true)"
cmake --build build -j"$(nproc)"
