#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when one is missing, so repeated runs are
# quick. Runs as root on Debian 12 (or with sudo where available).
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config git
          libgtest-dev libgmock-dev libbenchmark-dev
          libplist-dev libcairo2-dev libpango1.0-dev libpng-dev zlib1g-dev
          nlohmann-json3-dev libcli11-dev libwebp-dev libxml2-dev libsdl2-dev libimgui-dev libfontconfig-dev libfribidi-dev
          fonts-inter fonts-dejavu-core fonts-noto-core fonts-noto-ui-core fonts-noto-cjk fonts-noto-color-emoji
          clang gcovr python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
