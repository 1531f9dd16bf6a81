#!/usr/bin/env bash
# ThreadSanitizer over the start-up paths: builds the game into build-tsan/
# with -fsanitize=thread, then starts it once per kind of damaged file, each
# with another mutation (the damaged-file fuzzer's "kinds" set): the start-up
# workers race the main thread to the first error, or load everything and the
# game plays its first frames. Any report fails the case.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
cmake -S . -B build-tsan -DPIZZERIA_THREAD_SANITIZER=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPIZZERIA_BUILD_TESTS=OFF -DPIZZERIA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" \
  -DCMAKE_C_COMPILER_LAUNCHER="$(command -v ccache || true)"
cmake --build build-tsan -j"$(nproc)" --target pizzeria pizzeria_assets

# The suppressions name the driver by its library, which Mesa unloads as the
# display closes; preloaded, it stays to the end. The harness gives the games
# ThreadSanitizer's options and a copy of tools/fuzz/tsan.supp.
PIZZERIA_PRELOAD=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n1 || true)
export PIZZERIA_PRELOAD
python3 tools/fuzz/filefuzz.py build-tsan/run --set kinds --jobs 2 \
  --report build-tsan/filefuzz-report.tsv
