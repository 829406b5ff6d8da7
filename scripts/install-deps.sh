#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev qt6-serialport-dev libgl-dev
  libxlsxwriter-dev liborcus-dev libixion-dev libboost-dev libfreexl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core xvfb xauth
  python3-openpyxl python3-odf python3-xlwt
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    # A package that the archive does not know is left out rather than failing the whole install.
    if apt-cache show "$p" >/dev/null 2>&1 || [ ! -s /var/lib/apt/lists/lock ]; then
      missing+=("$p")
    fi
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# Retry once: a mirror hiccup on a fresh machine should not fail the run.
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || {
  sleep 5
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
