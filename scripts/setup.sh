#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, if any is missing.
# Further package names on the command line are installed as well: scripts/setup.sh lintian
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git libsystemd-dev
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev tzdata
    qt6-l10n-tools qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-liberation fonts-wqy-microhei clang-format dbus-daemon poppler-utils
    clang libclang-rt-14-dev
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "== setup: all packages present"
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "== setup: installing ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
