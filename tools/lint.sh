#!/usr/bin/env bash
# Static analysis of the game's own sources (not tests, not third-party
# headers): clang-tidy with .clang-tidy over BUILD_DIR's compile database
# (default build/), then cppcheck with the arguments in .cppcheck, then
# clang-format over every C++ file we keep (tests too), then the reference
# GLSL compiler over every shader. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
folders='app|assets|hud|render|scene|sound|tools'

python3 - "$build" "$folders" >"$build/lint-files.txt" <<'PY'
import json, os, re, sys
build, folders = sys.argv[1], sys.argv[2]
root = os.getcwd()
entries = json.load(open(os.path.join(build, "compile_commands.json")))
pattern = re.compile(r"^" + re.escape(root) + r"/(" + folders + r")/")
print("\n".join(sorted({e["file"] for e in entries if pattern.match(e["file"])})))
PY
echo "clang-tidy: $(wc -l <"$build/lint-files.txt") files"
# Each run prints only its findings; xargs fails when any run does.
xargs -P"$(nproc)" -n4 clang-tidy -p "$build" --quiet <"$build/lint-files.txt" 2>/dev/null

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
