#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing, and builds
# the project into build/. As root it uses apt-get; otherwise it names the missing
# packages and stops.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t wanted < <(grep -v '^\s*#' scripts/packages.txt | sed '/^\s*$/d')
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "setup: these Debian packages are missing: ${missing[*]}" >&2
    echo "setup: install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build >/dev/null
cmake --build build -j"$jobs"
