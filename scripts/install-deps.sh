#!/usr/bin/env bash
# Installs the Debian packages Sluice needs to build, test and run.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libgtest-dev
    qt6-base-dev
    libpugixml-dev libcurl4-openssl-dev liburiparser-dev libxcb1-dev
    miniupnpd-nftables miniupnpc nftables iproute2
    fonts-noto-cjk xvfb xauth
    dpkg-dev file groff-base
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
