#!/usr/bin/env bash
# The sanitizer pass: builds the game, its tools and tests into build-asan/
# with AddressSanitizer and UndefinedBehaviorSanitizer, runs the whole test
# suite there, then the damaged-file and command-line fuzzers against that game.
#   FUZZ_SET=ci|full   damaged-file cases: one per file kind and mutation (69,
#                      the default) or every file with every mutation (575)
#   ARGS_COUNT=N       random command lines besides the fixed ones (default 40)
#   PIZZERIA_SOAK_SECONDS  length of the soak test (default 30 here: its memory
#                      check is the plain build's; here it hunts bad accesses)
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
# No benchmarks here: their smoke run measures nothing and trips on the LLVM
# shader compiler's own new/free mismatch, so building them is time lost.
cmake -S . -B build-asan -DPIZZERIA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DPIZZERIA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" \
  -DCMAKE_C_COMPILER_LAUNCHER="$(command -v ccache || true)"
cmake --build build-asan -j"$(nproc)"

export SDL_AUDIODRIVER=dummy
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tools/fuzz/lsan.supp:print_suppressions=0"
# Mesa unloads its driver when the display closes, and LeakSanitizer cannot
# name a library that is gone, nor match it in the suppressions. Preloaded, the
# driver stays to the end (ASan is then not first in the library list; fine).
driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n1 || true)
export PIZZERIA_PRELOAD="${driver}"
export ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0"
export PIZZERIA_SOAK_SECONDS="${PIZZERIA_SOAK_SECONDS:-30}"
# Left out here: the scripted player session (far past its time limit under
# ASan; the soak and the fuzzers drive the game instead), the softpipe smoke
# (the same game code on another driver) and the serial-start comparison (the
# fuzzer's CI set runs below).
./tools/with-display.sh env LD_PRELOAD="${driver}" \
  ctest --test-dir build-asan --output-on-failure -j2 --timeout 600 \
  -E '^(pizzeria_e2e|pizzeria_softpipe_smoke|pizzeria_startup_workers_change_nothing)$'
python3 tools/fuzz/filefuzz.py build-asan/run --set "${FUZZ_SET:-ci}" --jobs 2 \
  --report build-asan/filefuzz-report.tsv
python3 tools/fuzz/argfuzz.py build-asan/run --count "${ARGS_COUNT:-40}" --jobs 2
