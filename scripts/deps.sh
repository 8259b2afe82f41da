#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the reader need, where they are
# missing. Safe to run again; asks apt only when something is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev libxml2-dev
    qt6-multimedia-dev qt6-svg-dev qt6-tools-dev gstreamer1.0-plugins-good
    xvfb xauth fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
