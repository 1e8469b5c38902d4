#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Jotterbase need.
# Only what is missing is installed; a machine that has everything is left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev libqt6svg6 qt6-qpa-plugins
  libhunspell-dev hunspell-en-gb hunspell-en-us
  libsqlite3-dev
  pandoc poppler-utils
  fonts-liberation xvfb xauth xdotool x11-utils imagemagick desktop-file-utils
  dbus-daemon at-spi2-core python3-pyatspi
  dpkg-dev lintian appstream man-db bash-completion
  python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
  else
    echo "error: these packages are missing and this user cannot install them: ${missing[*]}" >&2
    echo "Ask an administrator to run: apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get update -qq >/dev/null; then
  echo "error: apt-get update failed; check the network and the package sources" >&2
  exit 1
fi
if ! $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  echo "error: could not install: ${missing[*]}" >&2
  exit 1
fi
