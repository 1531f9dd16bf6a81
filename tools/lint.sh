#!/usr/bin/env bash
# Static analysis of our sources (the game, its tools, tests and benchmarks;
# not third-party headers): clang-tidy with .clang-tidy over BUILD_DIR's
# compile database (default build/), then cppcheck with the arguments in
# .cppcheck over the game and its tools, then
# clang-format over every C++ file we keep (tests too), then the reference
# GLSL compiler over every shader. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
folders='app|assets|hud|render|scene|sound|tools|tests|bench'

python3 - "$build" "$folders" >"$build/lint-files.txt" <<'PY'
import json, os, re, sys
build, folders = sys.argv[1], sys.argv[2]
root = os.getcwd()
entries = json.load(open(os.path.join(build, "compile_commands.json")))
pattern = re.compile(r"^" + re.escape(root) + r"/(" + folders + r")/")
print("\n".join(sorted({e["file"] for e in entries if pattern.match(e["file"])})))
PY
echo "clang-tidy: $(wc -l <"$build/lint-files.txt") files"
# Findings go to standard output; standard error carries the count of
# warnings in headers it was told to skip, and any failure to run, which
# must be seen. xargs fails when any run does.
tidy=0
xargs -P"$(nproc)" -n4 clang-tidy -p "$build" --quiet <"$build/lint-files.txt" \
  2>"$build/tidy-errors.txt" || tidy=$?
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' "$build/tidy-errors.txt" >&2 || true
[ "$tidy" -eq 0 ] || exit 1

echo "cppcheck"
mapfile -t options < <(grep -v '^#' .cppcheck)
cppcheck "${options[@]}" -I . -j"$(nproc)" app assets hud render scene sound tools
echo "clang-format"
# Files deleted in a working tree are still listed until the deletion is staged.
git ls-files -- '*.cpp' '*.h' | while read -r f; do [ -e "$f" ] && printf '%s\n' "$f"; done |
  xargs clang-format --dry-run --Werror
echo "glslangValidator"
# Each file alone, then each program's two stages linked, which also checks
# that what the vertex stage hands on matches what the fragment stage takes.
shaders=(Shader/*.vert Shader/*.frag)
for shader in "${shaders[@]}"; do
  glslangValidator "$shader" >"$build/glslang.txt" 2>&1 || { cat "$build/glslang.txt"; exit 1; }
done
for vertex in Shader/*.vert; do
  fragment="${vertex%.vert}.frag"
  glslangValidator -l "$vertex" "$fragment" >"$build/glslang.txt" 2>&1 ||
    { cat "$build/glslang.txt"; exit 1; }
done
echo "glslangValidator: ${#shaders[@]} files"
echo "lint: no findings"
