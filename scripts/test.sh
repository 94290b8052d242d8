#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks included) in Debug with
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

BUILD_DIR=${BUILD_DIR:-build-test}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDAMDFE_SANITIZE=ON
cmake --build "$BUILD_DIR"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"
export ASAN_OPTIONS="detect_leaks=1"
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 600
