#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tintwell need, when any is missing.
# Sourced or run by run.sh and test.sh; needs root only when something has to be installed.
set -euo pipefail

TINTWELL_PACKAGES=(
  cmake make g++ pkgconf libgtest-dev libbenchmark-dev  # build and unit tests
  qt6-base-dev libjpeg62-turbo-dev libtiff-dev zlib1g-dev  # the program's libraries
  clang libclang-rt-14-dev                              # libFuzzer for the loaders' fuzz targets
  clang-format                                          # the layout check of the test command
  gettext                                               # msgfmt builds the catalogues; xgettext and msgcmp check them
  fonts-liberation2                                     # the window's font (metrics close to the design's)
  xvfb xauth xdotool                                    # the end-to-end tests' X server (xvfb-run needs xauth) and input
  libxcb1-dev libxcb-shm0-dev                           # the screen and the pointer in device pixels (X11)
  libfontconfig-dev                                     # the font configuration, loaded while the display connects
  twm x11-xserver-utils                                 # a window manager that frames; xrandr's two monitors
  dbus at-spi2-core                                     # their private session bus and accessibility bus
  qt6-wayland weston                                    # the program on Wayland; a headless compositor for its tests
  librsvg2-bin desktop-file-utils appstream man-db      # the icon's sizes; checking the installed desktop files and man pages
  "$@"                                                  # what the caller needs besides
)

tintwell_missing_packages() {
  local package
  for package in "${TINTWELL_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      printf '%s\n' "$package"
    fi
  done
}

mapfile -t missing < <(tintwell_missing_packages)
if ((${#missing[@]} > 0)); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "Tintwell needs these Debian packages, which are not installed: ${missing[*]}" >&2
    echo "Run this command as root, or install them first: sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
