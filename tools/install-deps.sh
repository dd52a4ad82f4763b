#!/usr/bin/env bash
# Installs what building, running and testing Palisandre needs on Debian 12, and what the
# package's test uses: dpkg-shlibdeps (dpkg-dev), appstreamcli, the MIME database and
# xdg-mime with a reader of it (mimetype), man, bash-completion.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  cmake make g++ clang-14 libclang-rt-14-dev qt6-base-dev qt6-image-formats-plugins fonts-dejavu-core xvfb xauth openbox xdotool x11-utils \
  imagemagick desktop-file-utils \
  dpkg-dev file appstream shared-mime-info xdg-utils libfile-mimeinfo-perl man-db bash-completion gzip >/dev/null
