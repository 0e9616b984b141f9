#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Its database is
# build/db/bread.db, made on the first start.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DTOLVEX_BUILD_TESTS=OFF -DTOLVEX_BUILD_BENCH=OFF
exec build/bin/tolvex "$@"
