#!/usr/bin/env bash
# Builds the libraries the game needs for 64-bit Windows as static mingw-w64
# libraries, from Debian's own source packages, into a prefix outside the
# clone. A second run finds every library stamped and returns at once.
#
#   tools/build-windows-deps.sh              build what is missing, print the prefix
#   tools/build-windows-deps.sh --print-prefix   print the prefix only, build nothing
#
# Environment: PIZZERIA_WINDOWS_CACHE (cache root), PIZZERIA_WINDOWS_JOBS,
# PIZZERIA_WINDOWS_KEEP_WORK=1 (keep unpacked sources and build trees).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
script_path="$repo/tools/build-windows-deps.sh"
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
triple=x86_64-w64-mingw32
cxx="$triple-g++-posix"

# Debian source packages, pinned: a rebuild months later uses the same code.
declare -A debian_version=(
  [glfw3]=3.3.8-1
  [glew]=2.2.0-4
  [freetype]=2.12.1+dfsg-5+deb12u4
  [assimp]=5.2.5~ds0-1
  [libsdl2]=2.26.5+dfsg-1
  [libsdl2-mixer]=2.6.2+dfsg-2
  [googletest]=1.12.1-0.2
  # Only for minizip, which assimp's Debian tarball leaves out.
  [zlib]=1:1.2.13.dfsg-1
)

host_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev libstb-dev libutfcpp-dev libglm-dev
  wine wine64 nsis cmake ninja-build dpkg-dev xvfb
)

say() { printf '%s\n' "$*"; }
die() { printf 'build-windows-deps: %s\n' "$*" >&2; exit 1; }

usage() {
  sed -n '2,10p' "$script_path" | sed 's/^# \{0,1\}//'
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "Installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
}

# ---------------------------------------------------------------------------
# Layout and cache key

cache_root="${PIZZERIA_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pizzeria-windows}"
jobs="${PIZZERIA_WINDOWS_JOBS:-$(nproc)}"

# Anything that changes the produced libraries changes the key: the pinned
# versions, this recipe (the script up to its main part), the toolchain
# file and the compiler.
compute_key() {
  {
    local p
    for p in $(printf '%s\n' "${!debian_version[@]}" | sort); do
      printf '%s=%s\n' "$p" "${debian_version[$p]}"
    done
    sed '/^# Main part/q' "$script_path"
    cat "$toolchain"
    "$cxx" --version | head -n1
    # Host packages whose files end up in the prefix.
    dpkg-query -W -f='${Package} ${Version}\n' libglm-dev libstb-dev libutfcpp-dev \
      libz-mingw-w64-dev mingw-w64-x86-64-dev
  } | sha256sum | cut -c1-12
}

set_layout() {
  key="$(compute_key)"
  top="$cache_root/$key"
  prefix="$top/prefix"
  stamps="$top/stamps"
  logs="$top/logs"
  work="$top/work"
  # Downloads and apt lists depend on versions only: shared by every key.
  downloads="$cache_root/downloads"
  aptdir="$cache_root/apt"
}

# ---------------------------------------------------------------------------
# Debian sources through a private apt setup (the system's stays untouched)

# deb822 stanzas with Types: deb become deb-src; Enabled: no is skipped.
deb822_to_src() {
  awk 'BEGIN { RS = ""; FS = "\n" }
  {
    binary = 0; off = 0; out = ""
    for (i = 1; i <= NF; i++) {
      line = $i; low = tolower(line)
      if (low ~ /^types:/) {
        if ((" " substr(low, 7) " ") ~ /[ \t]deb[ \t]/) binary = 1
        line = "Types: deb-src"
      } else if (low ~ /^enabled:[ \t]*no/) off = 1
      out = out line "\n"
    }
    if (binary && !off) printf "%s\n", out
  }' "$1"
}

# One-line "deb [opts] uri suite comps" entries, rewritten as deb822 so one
# private file can hold both kinds.
oneline_to_src() {
  awk '
  function field(k) {
    if (k == "arch") return "Architectures"
    if (k == "lang") return "Languages"
    if (k == "target") return "Targets"
    if (k == "signed-by") return "Signed-By"
    if (k == "trusted") return "Trusted"
    return k
  }
  {
    sub(/#.*/, "")
    if ($1 != "deb") next
    opts = ""; i = 2
    if ($2 ~ /^\[/) {
      s = ""
      for (; i <= NF; i++) { s = s " " $i; if ($i ~ /\]$/) { i++; break } }
      gsub(/[\[\]]/, "", s)
      n = split(s, kv, " ")
      for (j = 1; j <= n; j++) {
        if (split(kv[j], p, "=") == 2) opts = opts field(p[1]) ": " p[2] "\n"
      }
    }
    if (i + 1 > NF) next
    comps = ""
    for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
    printf "Types: deb-src\nURIs: %s\nSuites: %s\n", $i, $(i + 1)
    if (comps != "") printf "Components: %s\n", comps
    printf "%s\n", opts
  }' "$1"
}

write_private_sources() {
  local out="$aptdir/pizzeria-src.sources" f
  mkdir -p "$aptdir/lists/partial" "$aptdir/cache/archives/partial"
  {
    for f in /etc/apt/sources.list.d/*.sources; do
      if [ -f "$f" ]; then deb822_to_src "$f"; fi
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      if [ -f "$f" ]; then oneline_to_src "$f"; fi
    done
  } >"$out.tmp"
  grep -q '^Types: deb-src' "$out.tmp" || die "no deb entry found in the system's apt sources"
  mv "$out.tmp" "$out"
}

apt_private() {
  local cmd="$1"; shift
  local opts=(
    -o "Dir::Etc::SourceList=$aptdir/pizzeria-src.sources"
    -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$aptdir/lists"
    -o "Dir::Cache=$aptdir/cache"
  )
  # _apt cannot write into a private folder under $HOME.
  if [ "$(id -u)" -eq 0 ]; then opts+=(-o APT::Sandbox::User=root); fi
  "$cmd" "${opts[@]}" "$@"
}

apt_ready=0
prepare_apt() {
  [ "$apt_ready" -eq 1 ] && return 0
  write_private_sources
  say "Updating the private source lists"
  # A third-party entry without deb-src may fail; the pinned lookups below
  # tell whether what we need is there.
  apt_private apt-get update -qq >"$aptdir/update.log" 2>&1 ||
    say "  (apt-get update reported problems, see $aptdir/update.log)"
  apt_ready=1
}

# The pinned version, or the newest served one with the same upstream
# version if the archive has moved on (e.g. a security update).
resolve_version() {
  local pkg="$1" want="${debian_version[$1]}" served best="" v upstream
  served="$(apt_private apt-cache showsrc "$pkg" 2>/dev/null |
    awk '/^Package: /{p=$2} /^Version: /{ if (p == "'"$pkg"'") print $2 }' | sort -u)"
  if grep -qxF "$want" <<<"$served"; then
    printf '%s\n' "$want"; return 0
  fi
  upstream="${want#*:}"; upstream="${upstream%-*}"
  while read -r v; do
    [ -n "$v" ] || continue
    local u="${v#*:}"; u="${u%-*}"
    [ "$u" = "$upstream" ] || continue
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best="$v"; fi
  done <<<"$served"
  [ -n "$best" ] || die "$pkg $want is not served by the configured archives"
  say "  note: $pkg $want is not served, using $best" >&2
  printf '%s\n' "$best"
}

# Unpacks a Debian source package (Debian patches applied) into $work/src.
# Sets $src to the tree.
fetch_source() {
  local pkg="$1" dir dsc version
  dir="$downloads/$pkg-${debian_version[$pkg]//:/_}"
  if [ ! -d "$dir" ]; then
    prepare_apt
    version="$(resolve_version "$pkg")"
    say "  fetching $pkg=$version"
    # Into a side folder first: an interrupted download must not look done.
    rm -rf "$dir.partial"
    mkdir -p "$dir.partial"
    (cd "$dir.partial" && apt_private apt-get source -qq --download-only "$pkg=$version") \
      >"$logs/fetch-$pkg.log" 2>&1 || { tail -n 20 "$logs/fetch-$pkg.log"; die "could not fetch $pkg"; }
    mv "$dir.partial" "$dir"
  fi
  dsc="$(ls "$dir"/*.dsc | head -n1)"
  src="$work/src/$pkg"
  rm -rf "$src"
  mkdir -p "$work/src"
  dpkg-source -x "$dsc" "$src" >"$logs/unpack-$pkg.log" 2>&1 ||
    { tail -n 20 "$logs/unpack-$pkg.log"; die "could not unpack $pkg"; }
}

# ---------------------------------------------------------------------------
# Building

common_cmake_args() {
  local gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  printf '%s\n' "${gen[@]}" \
    "-DCMAKE_TOOLCHAIN_FILE=$toolchain" \
    "-DPIZZERIA_WINDOWS_PREFIX=$prefix" \
    "-DCMAKE_INSTALL_PREFIX=$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF
}

# cmake_build NAME SOURCE_DIR [cmake args...]: configure, build, install.
cmake_build() {
  local name="$1" source_dir="$2"; shift 2
  local build="$work/build/$name" log="$logs/$name.log" args
  mapfile -t args < <(common_cmake_args)
  rm -rf "$build"
  {
    cmake -S "$source_dir" -B "$build" "${args[@]}" "$@" &&
      cmake --build "$build" --parallel "$jobs" &&
      cmake --install "$build"
  } >"$log" 2>&1 || { tail -n 40 "$log"; die "$name failed, full log: $log"; }
}

is_stamped() { [ -f "$stamps/$1" ]; }

# Runs build_NAME unless its stamp exists; the stamp records what was built.
step() {
  local name="$1" what="$2"
  if is_stamped "$name"; then
    say "$name: cached ($what)"
    return 0
  fi
  local t0=$SECONDS
  say "$name: building ($what)"
  "build_$name"
  printf '%s\n' "$what" >"$stamps/$name"
  [ "${PIZZERIA_WINDOWS_KEEP_WORK:-0}" = 1 ] || rm -rf "$work/build/$name" "$work/src"
  say "$name: done in $((SECONDS - t0)) s"
}

# "pkg version" of a pinned source package, for messages and stamps.
src_label() { printf '%s %s' "$1" "${debian_version[$1]}"; }

build_glfw() {
  fetch_source glfw3
  cmake_build glfw "$src" \
    -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF \
    -DGLFW_INSTALL=ON
}

build_glew() {
  fetch_source glew
  # build/cmake makes glew_s and exports it with GLEW_STATIC in its interface.
  cmake_build glew "$src/build/cmake" \
    -DBUILD_UTILS=OFF -DGLEW_REGAL=OFF -DGLEW_OSMESA=OFF
}

build_freetype() {
  fetch_source freetype
  # No gzip at all: the system zlib would not reach the game through
  # FindFreetype's target, and FreeType's bundled inflate leaves zlib symbols
  # public that clash with libz.a, which assimp links. The game loads plain
  # TTF files; only compressed X11 bitmap fonts need gzip.
  local options="$src/include/freetype/config/ftoption.h"
  sed -i 's|^#define FT_CONFIG_OPTION_USE_ZLIB$|/* #undef FT_CONFIG_OPTION_USE_ZLIB */|' "$options"
  ! grep -q '^#define FT_CONFIG_OPTION_USE_ZLIB' "$options" || die "could not turn off FreeType's zlib"
  cmake_build freetype "$src" \
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}

build_sdl2() {
  fetch_source libsdl2
  # The game takes only audio, timers, hints and RWops from SDL (GLFW owns
  # the window), so the renderers and input drivers stay out. Video stays:
  # on Windows SDL's dynamic API table refers to functions of its video code.
  cmake_build sdl2 "$src" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF \
    -DSDL2_DISABLE_UNINSTALL=ON \
    -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
}

build_sdl2_mixer() {
  fetch_source libsdl2-mixer
  # MP3 through the bundled dr_mp3 and WAV only: nothing else to link.
  cmake_build sdl2_mixer "$src" \
    -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
    -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
    -DSDL2MIXER_WAVE=ON \
    -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF \
    -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF
  # A static-only install exports SDL2_mixer::SDL2_mixer-static alone, and
  # without SDL2 in its link interface. SDL2's own config adds the plain name
  # for a static-only install; give the mixer the same, carrying SDL2 along.
  cat >>"$prefix/lib/cmake/SDL2_mixer/SDL2_mixerConfig.cmake" <<'EOF'

# Added by build-windows-deps.sh: the plain name for a static-only install.
if(TARGET SDL2_mixer::SDL2_mixer-static AND NOT TARGET SDL2_mixer::SDL2_mixer)
  include(CMakeFindDependencyMacro)
  if(NOT TARGET SDL2::SDL2-static)
    find_dependency(SDL2)
  endif()
  add_library(SDL2_mixer::SDL2_mixer INTERFACE IMPORTED)
  set_target_properties(SDL2_mixer::SDL2_mixer PROPERTIES
    INTERFACE_LINK_LIBRARIES "SDL2_mixer::SDL2_mixer-static;SDL2::SDL2-static")
endif()
EOF
}

build_assimp() {
  fetch_source zlib
  local zlib_src="$src"
  fetch_source assimp
  # The Debian tarball drops contrib/stb and contrib/unzip: stb_image comes
  # from libstb-dev, unzip from zlib's minizip (same API assimp bundles).
  # Debian links the system's draco (only glTF uses it) into the library and
  # its CMake config; there is no Windows draco, so take that patch back out.
  patch -d "$src" -R -p1 -s <"$src/debian/patches/use-system-libdraco.patch"
  mkdir -p "$src/contrib/stb" "$src/contrib/unzip"
  cp /usr/include/stb/stb_image.h "$src/contrib/stb/"
  cp "$zlib_src"/contrib/minizip/{crypt.h,ioapi.c,ioapi.h,unzip.c,unzip.h} "$src/contrib/unzip/"
  # minizip keeps its crypt code in crypt.h; assimp lists a crypt.c.
  printf '/* crypt lives in crypt.h */\n' >"$src/contrib/unzip/crypt.c"
  # Debian patches the sources to include <utf8.h> from libutfcpp-dev; that
  # folder holds nothing but utf8cpp, so it is safe for a cross compile.
  cmake_build assimp "$src" \
    -DCMAKE_CXX_FLAGS="-isystem /usr/include/utf8cpp" \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF \
    -DASSIMP_BUILD_OBJ_IMPORTER=ON -DASSIMP_BUILD_FBX_IMPORTER=ON \
    -DASSIMP_BUILD_ALL_EXPORTERS_BY_DEFAULT=OFF -DASSIMP_NO_EXPORT=ON \
    -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_ASSIMP_TOOLS=OFF \
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DOCS=OFF \
    -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_BUILD_DRACO=OFF \
    -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_INSTALL_PDB=OFF \
    -DASSIMP_INJECT_DEBUG_POSTFIX=OFF -DASSIMP_IGNORE_GIT_HASH=ON
}

build_googletest() {
  fetch_source googletest
  # Win32 threading inside gtest rather than a second layer over winpthreads.
  cmake_build googletest "$src" \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON \
    -Dgtest_build_tests=OFF -Dgtest_build_samples=OFF
}

# glm is header-only: the host package's headers and CMake config work as is,
# but the toolchain only looks inside the prefix.
build_glm() {
  mkdir -p "$prefix/include" "$prefix/lib/cmake"
  rm -rf "$prefix/include/glm" "$prefix/lib/cmake/glm"
  cp -r /usr/include/glm "$prefix/include/"
  mkdir -p "$prefix/lib/cmake/glm"
  # Debian's config points at /usr/include; this one points inside the prefix.
  cat >"$prefix/lib/cmake/glm/glmConfig.cmake" <<'EOF'
get_filename_component(_glm_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
set(GLM_VERSION "0.9.9")
set(glm_VERSION "0.9.9")
if(NOT TARGET glm::glm)
  add_library(glm::glm INTERFACE IMPORTED)
  set_target_properties(glm::glm PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_glm_prefix}/include")
endif()
set(GLM_INCLUDE_DIRS "${_glm_prefix}/include")
set(glm_FOUND TRUE)
EOF
  cp /usr/share/cmake/glm/glmConfigVersion.cmake "$prefix/lib/cmake/glm/"
}

# ---------------------------------------------------------------------------
# Main part

main() {
  local print_only=0
  while [ $# -gt 0 ]; do
    case "$1" in
      --print-prefix) print_only=1 ;;
      -h|--help) usage; exit 0 ;;
      *) usage >&2; exit 2 ;;
    esac
    shift
  done

  install_missing "${host_packages[@]}"
  set_layout
  if [ "$print_only" -eq 1 ]; then
    printf '%s\n' "$prefix"
    return 0
  fi

  mkdir -p "$prefix" "$stamps" "$logs" "$work" "$downloads" "$aptdir"
  # Two runs at once would build into the same prefix.
  exec 9>"$top/.lock"
  flock 9

  say "Windows dependencies, key $key"
  step glm "libglm-dev $(dpkg-query -W -f='${Version}' libglm-dev)"
  step glfw "$(src_label glfw3)"
  step glew "$(src_label glew)"
  step freetype "$(src_label freetype)"
  step sdl2 "$(src_label libsdl2)"
  step sdl2_mixer "$(src_label libsdl2-mixer)"
  step assimp "$(src_label assimp)"
  step googletest "$(src_label googletest)"
  [ "${PIZZERIA_WINDOWS_KEEP_WORK:-0}" = 1 ] || rm -rf "$work"

  say "prefix: $prefix"
  say "configure with: cmake -DCMAKE_TOOLCHAIN_FILE=$toolchain -DPIZZERIA_WINDOWS_PREFIX=$prefix ..."
}

main "$@"; exit
