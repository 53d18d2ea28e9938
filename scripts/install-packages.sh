#!/usr/bin/env bash
# Installs the Debian packages listed in LIST (one per line, "#" comments) that
# are missing. As root it uses apt-get; otherwise it names the missing packages
# and fails. Usage: install-packages.sh LIST TAG (TAG starts its messages).
set -euo pipefail
list=$1
tag=$2
mapfile -t wanted < <(grep -v '^\s*#' "$list" | sed '/^\s*$/d')
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "$tag: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "$tag: these Debian packages are missing: ${missing[*]}" >&2
    echo "$tag: install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi
