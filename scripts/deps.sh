#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the program and the tests
# need, when any of them is missing. cups-client gives the program "lp",
# which the dot-matrix print mode sends documents to.
set -euo pipefail
PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev
  libsqlite3-dev libxlsxwriter-dev libmspack-dev zlib1g-dev libjpeg62-turbo-dev
  libgtest-dev libbenchmark-dev fonts-dejavu-core fonts-liberation2 xvfb xauth
  cabextract gcab poppler-utils cups-client)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
