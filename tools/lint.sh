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

# A file found clean is remembered outside the clone under a key of its text,
# the text of every header of ours it includes, its compile command, the
# checks and clang-tidy's version, so a fresh clone checks only what changed.
cache="${XDG_CACHE_HOME:-$HOME/.cache}/pizzeria-lint"
mkdir -p "$cache"
python3 - "$build" "$folders" "$cache" >"$build/lint-files.txt" <<'PY'
import hashlib, json, os, re, subprocess, sys
build, folders, cache = sys.argv[1:4]
root = os.getcwd()
entries = json.load(open(os.path.join(build, "compile_commands.json")))
pattern = re.compile(r"^" + re.escape(root) + r"/(" + folders + r")/")
include = re.compile(rb'^\s*#\s*include\s*"([^"]+)"', re.M)
common = hashlib.sha256()
common.update(subprocess.run(["clang-tidy", "--version"], capture_output=True).stdout)
common.update(open(".clang-tidy", "rb").read())

def ours(path):
    """`path` and the headers of ours it includes, however deep."""
    found, todo = set(), [path]
    while todo:
        current = todo.pop()
        if current in found or not os.path.isfile(current):
            continue
        found.add(current)
        for name in include.findall(open(current, "rb").read()):
            name = name.decode()
            todo += [os.path.normpath(os.path.join(os.path.dirname(current), name)),
                     os.path.normpath(os.path.join(root, name))]
    return sorted(found)

seen = set()
for e in sorted(entries, key=lambda e: e["file"]):
    path = e["file"]
    if not pattern.match(path) or path in seen:
        continue
    seen.add(path)
    key = common.copy()
    command = e.get("command") or " ".join(e.get("arguments", []))
    key.update(command.replace(root, "@").replace(os.path.abspath(build), "@build").encode())
    for part in ours(path):
        key.update(os.path.relpath(part, root).encode() + b"\0" + open(part, "rb").read())
    print(path, os.path.join(cache, key.hexdigest()))
PY
echo "clang-tidy: $(wc -l <"$build/lint-files.txt") files"
# Findings go to standard output; standard error carries the count of
# warnings in headers it was told to skip, and any failure to run, which
# must be seen. xargs fails when any run does.
tidy=0
awk '{print $1, $2}' "$build/lint-files.txt" | while read -r file stamp; do
  [ -e "$stamp" ] || printf '%s\n%s\n' "$file" "$stamp"
done | xargs -r -d '\n' -P"$(nproc)" -n2 sh -c \
  'clang-tidy -p "$0" --quiet "$1" && touch "$2"' "$build" \
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
