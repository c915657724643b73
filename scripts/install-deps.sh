#!/usr/bin/env bash
# Installs the Debian packages Orvane needs to build, run and test, and only
# the ones that are missing. Safe to run again; does nothing when all are present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libwxgtk3.2-dev libwxgtk-gl3.2-1
  nlohmann-json3-dev
  libcurl4-openssl-dev libssl-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libosmesa6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcpp-httplib-dev zlib1g-dev
  libpugixml-dev
  xvfb xauth x11-apps unzip
  fonts-dejavu-core
  locales
)

# `--run` adds what `make run` uses beyond the build: the coastline data and
# the tool that turns it into the host's base map.
if [[ "${1:-}" == "--run" ]]; then
  PACKAGES+=(gmt gmt-gshhg-low)
fi
# `--fuzz` adds clang and its libFuzzer runtime, for `make fuzz` (CI runs it).
if [[ "${1:-}" == "--fuzz" ]]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
