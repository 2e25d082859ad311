#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# make deb builds quorel_<version>_<arch>.deb; unpacked into a scratch root it holds the
# programs, the helpers under /usr/libexec/quorel, the desktop entry, metainfo, icons, manual
# pages, the user units (the link server's enabled for every user on installation,
# quorel-idle's not), the xscreensaver hack and the licence as its copyright; it depends on
# the Wayland platform plugin, and lintian finds no error in it.
# DEB_KEEP=DIR keeps the package.
set -euo pipefail
# shellcheck source=../e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"
e2e_init deb "$@"
e2e_need dpkg-buildpackage dh lintian
(cd "$source_dir" && scripts/make-deb.sh "$tmp/out") >"$tmp/build.log" 2>&1 ||
  lib_fail "make deb failed: $(tail -n 30 "$tmp/build.log")"
deb=$tmp/out/quorel_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).deb
[[ -s "$deb" ]] || lib_fail "no $(basename "$deb") in $(ls "$tmp/out")"
[[ -z "${DEB_KEEP:-}" ]] || cp "$deb" "$DEB_KEEP/"
root=$tmp/root
dpkg -x "$deb" "$root"
for program in usr/bin/quorel usr/bin/quorel-vendor usr/bin/quorel-screensaver usr/bin/quorel-idle \
  usr/libexec/quorel/quorel-inspect usr/libexec/quorel/quorel-parse; do
  [[ -x "$root/$program" && ! -d "$root/$program" ]] || failures+=("$program is not a program in the package")
done
for file in usr/share/applications/quorel.desktop usr/share/metainfo/org.example.Quorel.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/quorel.svg usr/share/icons/hicolor/48x48/apps/quorel.png \
  usr/share/icons/hicolor/128x128/apps/quorel.png usr/share/icons/hicolor/256x256/apps/quorel.png \
  usr/share/man/man1/quorel.1.gz usr/share/man/man1/quorel-vendor.1.gz \
  usr/share/man/man1/quorel-screensaver.1.gz usr/lib/systemd/user/quorel-vendor.socket \
  usr/lib/systemd/user/quorel-vendor.service usr/share/xscreensaver/config/quorel.xml \
  usr/share/man/man1/quorel-idle.1.gz usr/lib/systemd/user/quorel-idle.service \
  usr/share/quorel/links/default.txt usr/share/quorel/filters/unsafe-words.txt \
  usr/share/doc/quorel/copyright; do
  [[ -s "$root/$file" ]] || failures+=("$file is missing or empty")
done
[[ -e "$root/usr/libexec/xscreensaver/quorel" ]] || failures+=("no xscreensaver hack named quorel")
grep -q 'Permission is hereby granted' "$root/usr/share/doc/quorel/copyright" ||
  failures+=("the copyright file does not carry the MIT licence")
dpkg-deb -f "$deb" Depends | grep -q 'qt6-wayland' || failures+=("the package does not depend on qt6-wayland")
dpkg-deb -e "$deb" "$tmp/control"
grep -q "deb-systemd-helper --user enable 'quorel-vendor.socket'" "$tmp/control/postinst" 2>/dev/null ||
  failures+=("installing does not enable the link server's units for every user")
# quorel-idle's unit is enabled again on upgrades only where a user had it enabled.
[[ $(grep -c "enable 'quorel-idle.service'" "$tmp/control/postinst") == 1 ]] &&
  grep -q "debian-installed 'quorel-idle.service'" "$tmp/control/postinst" ||
  failures+=("installing enables quorel-idle for every user")

lintian --no-tag-display-limit "$deb" >"$tmp/lintian.log" 2>&1 || true
errors=$(grep '^E: ' "$tmp/lintian.log" || true)
[[ -z "$errors" ]] || failures+=("lintian: $errors")

echo "deb: $(basename "$deb"), $(stat -c %s "$deb") bytes, $(grep -c '^W: ' "$tmp/lintian.log") lintian warnings"
e2e_finish
