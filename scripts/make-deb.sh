#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from the working tree (committed or not) in a scratch copy, so the
# tree gets no build folders of debhelper's, and leaves quorel_<version>_<arch>.deb in OUT_DIR.
#   scripts/make-deb.sh [OUT_DIR]        (make deb; OUT_DIR defaults to build-deb)
# The version is the one in CMakeLists.txt; the changelog's is set to it in the copy.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
out_dir=$(mkdir -p "${1:-build-deb}" && cd "${1:-build-deb}" && pwd)
version=$(sed -n 's/^project(quorel VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[[ -n "$version" ]] || { echo "make-deb: no version in CMakeLists.txt" >&2; exit 1; }
for tool in dpkg-buildpackage dh; do
  command -v "$tool" >/dev/null || { echo "make-deb: $tool missing (scripts/install-deps.sh)" >&2; exit 1; }
done

scratch=$out_dir/src
rm -rf "$scratch"
tree=$scratch/quorel-$version
mkdir -p "$tree"
# Every file git knows of or would add, as it is now.
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$tree"
sed -i "1s/^quorel ([^)]*)/quorel ($version)/" "$tree/debian/changelog"

cmake_args=""
if command -v ccache >/dev/null; then cmake_args="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"; fi
(cd "$tree" && QUOREL_CMAKE_ARGS="$cmake_args" DEB_BUILD_OPTIONS="parallel=${JOBS:-2} nocheck" \
  dpkg-buildpackage -us -uc -b)

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=quorel_${version}_$arch.deb
mv -f "$scratch/$deb" "$out_dir/$deb"
rm -rf "$scratch"
echo "make-deb: $out_dir/$deb"
