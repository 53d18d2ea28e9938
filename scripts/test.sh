#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the whole test suite (under a virtual
# X display, since some tests open the program's window).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
jobs=$(nproc 2>/dev/null || echo 2)
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$jobs"
