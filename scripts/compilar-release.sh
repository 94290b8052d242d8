#!/usr/bin/env bash
# Installs what is missing and builds the programs in Release in $BUILD_DIR (default build-release).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDAMDFE_BUILD_TESTS=OFF -DDAMDFE_BUILD_BENCH=OFF
cmake --build "$BUILD_DIR"
