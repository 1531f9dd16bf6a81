#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIZZERIA_WERROR="${PIZZERIA_WERROR:-OFF}"
cmake --build build -j"$(nproc)"
