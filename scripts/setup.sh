#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Orbenta need.
# Does nothing when all of them are there already.
set -euo pipefail

packages=(
    # building: the compiler and CMake with Ninja; pkg-config finds SQLite for CMake
    cmake ninja-build g++ make pkg-config
    # Qt 6 Widgets, PrintSupport and Test with moc and rcc (the window system and offscreen
    # platform plugins come with libqt6gui6), OpenGL headers for Qt's CMake files, SQLite
    qt6-base-dev qt6-base-dev-tools libqt6gui6 libgl-dev libsqlite3-dev
    # running: Qt's German texts, a font, the icon theme, the desktop's opener for help files
    qt6-translations-l10n fonts-dejavu-core adwaita-icon-theme xdg-utils tzdata
    # the tests read printed reports back from their PDF files (pdftotext, pdfinfo)
    poppler-utils
    # testing under a real X server with a window manager (xprop, xwininfo, wmctrl), and
    # checking the desktop entry and the metainfo file of the install
    xvfb xauth openbox x11-utils wmctrl desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    if [ "$status" != "install ok installed" ]; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "Missing packages: ${missing[*]}; run this script as root or install sudo." >&2
        exit 1
    fi
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
# sudo drops the caller's environment: the variable goes in through env.
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
