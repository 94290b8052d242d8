#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test. Does nothing when all are present.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config
  libxerces-c-dev qt6-base-dev qt6-qpa-plugins libzint-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils zbar-tools xvfb xauth
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation python3-pdfminer
  qt6-translations-l10n libboost-dev
  dpkg-dev desktop-file-utils
  libcups2-dev cups printer-driver-cups-pdf clang libclang-rt-14-dev
  libxml-security-c-dev libssl-dev openssl xmlsec1
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "A instalar: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
