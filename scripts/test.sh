#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test on Qt's offscreen
# platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DTOLVEX_BUILD_TESTS=ON -DTOLVEX_BUILD_BENCH=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 600
