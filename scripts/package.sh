#!/usr/bin/env bash
# Builds the Debian package of Zelmarine and checks it with lintian:
#   bash scripts/package.sh     ->  build/package/zelmarine_<version>_<arch>.deb
# Install it with:  sudo apt install ./build/package/zelmarine_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps (dpkg-dev) works out the package's dependencies from the binaries; the rest
# check the package and the files in it.
bash scripts/setup.sh dpkg-dev lintian desktop-file-utils appstream shared-mime-info \
    man-db file

echo "== package: build"
cmake --preset default >/dev/null
cmake --build build/default --target zelmarine zelmarine-cli zelmarine-sim zel_package_documents

rm -rf build/package
cpack --config build/default/CPackConfig.cmake -B build/package
debs=(build/package/*.deb)
deb="${debs[0]}"

echo "== package: lintian $deb"
# lintian keeps its caches in TMPDIR and leaves some behind: give it a folder that goes after.
lintian_tmp="$(mktemp -d)"
trap 'rm -rf "$lintian_tmp"' EXIT
TMPDIR="$lintian_tmp" lintian --fail-on error "$deb"
echo "== package: $deb"
