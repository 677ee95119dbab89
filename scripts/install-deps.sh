#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need.
# Idempotent: apt-get runs only for packages that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl1-mesa-dev
  qt6-qpa-plugins libxkbcommon-dev qt6-translations-l10n
  fonts-dejavu-core
  poppler-utils # pdftotext, pdftoppm: the printing tests read their PDF back
  libchm-bin    # enum_chmLib, extract_chmLib: the .chm check reads the files back
)
# The fuzz build (cmake -DTYX_FUZZ=ON, tests/fuzz) needs Clang and its libFuzzer runtime.
if [ "${TYX_WITH_FUZZ:-0}" = 1 ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi
# Install and package checks: .deb build and lint, desktop entry and MIME type validation, icons.
if [ "${TYX_WITH_PACKAGING:-1}" = 1 ]; then
  packages+=(dpkg-dev fakeroot file lintian desktop-file-utils libxml2-utils shared-mime-info librsvg2-bin)
fi
# The WinHelp viewer check needs Wine and a virtual display.
if [ "${TYX_WITH_WINE:-1}" = 1 ]; then
  packages+=(xvfb xauth x11-utils wine wine64 imagemagick)
fi
# The HTML help check opens the help site in Chromium, driven from node (packages from npm ci).
if [ "${TYX_WITH_BROWSER:-1}" = 1 ]; then
  packages+=(chromium)
  command -v node >/dev/null 2>&1 || packages+=(nodejs)
  command -v npm >/dev/null 2>&1 || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
