#!/usr/bin/env bash
# Installs what building, running and testing Palisandre needs on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  cmake make g++ clang-14 libclang-rt-14-dev qt6-base-dev qt6-image-formats-plugins fonts-dejavu-core xvfb xauth xdotool x11-utils \
  imagemagick desktop-file-utils >/dev/null
