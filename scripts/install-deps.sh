#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  qt6-charts-dev libqt6opengl6-dev
  libxlsxwriter-dev liborcus-dev libixion-dev libboost-dev libfreexl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core xvfb xauth
  python3-openpyxl python3-odf python3-xlwt
  clang libclang-rt-14-dev
  poppler-utils
  libqt6sql6-sqlite libqt6sql6-psql postgresql sqlite3
  ser2net
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "installing: ${missing[*]}"
# Retry once: a mirror hiccup on a fresh machine should not fail the run.
for attempt in 1 2; do
  if $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
    exit 0
  fi
  [ $attempt -eq 1 ] && sleep 10
done
exit 1
