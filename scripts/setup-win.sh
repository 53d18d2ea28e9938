#!/usr/bin/env bash
# Cross-builds the Windows program build/win/vantrel-installer.exe (and the
# Windows test programs) with Debian's mingw-w64. Installs the packages of
# scripts/packages-win.txt that are missing (as root; otherwise names them and
# stops), fetches minizip's sources from Debian's zlib source package into
# build/win-deps/ (a deb-src entry is given to apt for that one call and nothing
# else changes in the system's apt setup), and builds the artwork generator for
# this machine, which the cross-build runs.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

bash scripts/install-packages.sh scripts/packages-win.txt setup-win

# ---- minizip's sources, from the zlib source package ----
DEPS=$ROOT/build/win-deps
MINIZIP=$(ls -d "$DEPS"/zlib-*/contrib/minizip 2>/dev/null | head -n1 || true)
if [ -z "$MINIZIP" ] || [ ! -f "$MINIZIP/unzip.c" ]; then
  mkdir -p "$DEPS"
  APT=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-apt.XXXXXX")
  trap 'rm -rf "$APT"' EXIT
  mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial" "$APT/parts"
  # The deb-src entry mirrors the system's own Debian entry (its URI, release and
  # key), read from its apt sources; apt is pointed at a private list and cache.
  . /etc/os-release
  uri= key=
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    uri=$(awk -v rel="$VERSION_CODENAME" '
      /^URIs:/ { u = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == rel) s = 1 }
      /^$/ { if (s && u != "") { print u; exit } u = ""; s = 0 }
      END { if (s && u != "") print u }' "$f")
    key=$(awk '/^Signed-By:/ { print $2; exit }' "$f")
    [ -n "$uri" ] && break
  done
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk -v rel="$VERSION_CODENAME" '$1 == "deb" && $0 ~ " " rel " " { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; exit } }' /etc/apt/sources.list)
  fi
  [ -n "$uri" ] || { echo "setup-win: no Debian entry for $VERSION_CODENAME in the apt sources" >&2; exit 1; }
  {
    echo "Types: deb-src"
    echo "URIs: $uri"
    echo "Suites: $VERSION_CODENAME"
    echo "Components: main"
    [ -n "$key" ] && echo "Signed-By: $key"
  } >"$APT/parts/zlib-src.sources"
  opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$APT/parts"
        -o "Dir::State::Lists=$APT/lists" -o "Dir::Cache=$APT/cache" -o "APT::Sandbox::User=root")
  echo "setup-win: fetching zlib's source package for minizip"
  apt-get "${opts[@]}" -qq update
  (cd "$DEPS" && apt-get "${opts[@]}" -qq source zlib >/dev/null)
  MINIZIP=$(ls -d "$DEPS"/zlib-*/contrib/minizip | head -n1)
fi

# ---- the artwork generator, for this machine ----
[ -f build/CMakeCache.txt ] || cmake -S . -B build >/dev/null
cmake --build build --target vantrel_artgen >/dev/null

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
  -DVANTREL_MINIZIP_SOURCE="$MINIZIP" -DVANTREL_ARTGEN="$ROOT/build/art/vantrel_artgen" >/dev/null
cmake --build build/win -j"$jobs"
