#!/usr/bin/env bash
# Installs what is missing, builds in Release and prints the bundled sample manifest to
# damdfe-exemplo.pdf with damdfe-imprimir.
set -euo pipefail
cd "$(dirname "$0")/.."

export BUILD_DIR=${BUILD_DIR:-build-release}
./scripts/compilar-release.sh
"$BUILD_DIR/bin/damdfe-imprimir" --logo samples/logo_exemplo.bmp --pdf damdfe-exemplo.pdf samples/MDFe_exemplo.xml
echo "DAMDFE gravado em damdfe-exemplo.pdf"
