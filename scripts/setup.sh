#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing, and builds
# the project into build/. As root it uses apt-get; otherwise it names the missing
# packages and stops.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-packages.sh scripts/packages.txt setup

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build >/dev/null
cmake --build build -j"$jobs"
