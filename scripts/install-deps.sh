#!/usr/bin/env bash
# Installs what building, testing and running Tunely needs on Debian 12 (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  cmake g++ make pkg-config clang libclang-rt-14-dev \
  libplist-dev libsndfile1-dev libsdl2-dev libx11-dev libpng-dev libcli11-dev \
  libebur128-dev libsoxr-dev sox time bc dpkg-dev file \
  libcairo2-dev libpango1.0-dev fonts-dejavu-core fonts-urw-base35 \
  xvfb xauth xdotool x11-utils python3 python3-soundfile python3-numpy \
  pipewire pipewire-bin wireplumber dbus libpipewire-0.3-dev \
  libgtest-dev libbenchmark-dev >/dev/null
echo "dependencies installed"
