#!/usr/bin/env bash
# Installs what is missing, builds in Release and makes the Debian package
# damdfe_<version>_<architecture>.deb at the top of the repository.
set -euo pipefail
cd "$(dirname "$0")/.."

export BUILD_DIR=${BUILD_DIR:-build-release}
./scripts/compilar-release.sh
cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$BUILD_DIR/pacote"
cp "$BUILD_DIR"/pacote/damdfe_*.deb .
ls damdfe_*.deb
