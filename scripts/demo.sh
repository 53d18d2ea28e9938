#!/usr/bin/env bash
# The program's main job on a fresh machine: sets up what is missing, builds, and
# shows what the installer offers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
echo
./build/vantrel-installer --help
