#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What an installation leaves on the system is valid and names that installation: the desktop
# entry and the AppStream metadata pass their validators, the icons have their theme sizes, the
# hack description is well-formed, manual pages render without warnings and, with them and the
# user units, name the paths of the prefix installed to; make uninstall takes it all away.
set -euo pipefail
# shellcheck source=../e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"
e2e_init metadata "$@"
e2e_need desktop-file-validate appstreamcli xmllint identify man
fail() { failures+=("$*"); }

for prefix in /usr /opt/quorel; do
  e2e_stage_install "$prefix"
  if [[ $prefix == /usr ]]; then
    desktop-file-validate "$root/share/applications/quorel.desktop" >"$tmp/out" 2>&1 ||
      fail "desktop-file-validate: $(cat "$tmp/out")"
    appstreamcli validate --no-net "$root/share/metainfo/org.example.Quorel.metainfo.xml" \
      >"$tmp/out" 2>&1 || fail "appstreamcli validate: $(cat "$tmp/out")"
    for size in 48 128 256; do
      got=$(identify -format '%wx%h' "$root/share/icons/hicolor/${size}x$size/apps/quorel.png" 2>&1) || true
      [[ "$got" == "${size}x$size" ]] || fail "the ${size} px icon measures $got"
    done
    xmllint --noout "$root/share/icons/hicolor/scalable/apps/quorel.svg" \
      "$root/share/xscreensaver/config/quorel.xml" 2>"$tmp/out" || fail "xmllint: $(cat "$tmp/out")"
    [[ "$(readlink -f "$root/libexec/xscreensaver/quorel")" == "$root/bin/quorel-screensaver" ]] ||
      fail "the xscreensaver hack does not lead to the wrapper"
  fi

  for page in quorel quorel-vendor quorel-screensaver quorel-idle; do
    file=$root/share/man/man1/$page.1
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) ||
      warnings="man failed $warnings"
    [[ -z "$warnings" ]] || fail "$page.1: $warnings"
    ! grep -q '@[A-Z_]*@' "$file" || fail "$page.1 keeps a placeholder: $(grep -o '@[A-Z_]*@' "$file" | head -n 1)"
  done
  grep -qF "$prefix/share/doc/quorel/screensaver.md" "$root/share/man/man1/quorel.1" ||
    fail "quorel.1 ($prefix) does not point at the installed screensaver.md"
  grep -qF "$prefix/share/quorel/links/default.txt" "$root/share/man/man1/quorel-vendor.1" ||
    fail "quorel-vendor.1 ($prefix) does not name the installed link list"
  grep -qx "ExecStart=$prefix/bin/quorel-vendor --listen .*" "$root/lib/systemd/user/quorel-vendor.service" ||
    fail "the service ($prefix) does not start the installed quorel-vendor"
  grep -qx 'ListenStream=[0-9.]*:[0-9]*' "$root/lib/systemd/user/quorel-vendor.socket" ||
    fail "the socket ($prefix) listens nowhere"
  grep -qx "ExecStart=$prefix/bin/quorel-idle" "$root/lib/systemd/user/quorel-idle.service" ||
    fail "quorel-idle.service ($prefix) does not start the installed quorel-idle"

  # Everything installed is in the manifest, and make uninstall removes it.
  make -s -C "$source_dir" BUILD="$build" DESTDIR="$stage" uninstall >"$tmp/uninstall.log" 2>&1 ||
    fail "make uninstall failed: $(tail -n 3 "$tmp/uninstall.log")"
  left=$(find "$stage" ! -type d | head -n 5)
  [[ -z "$left" ]] || fail "make uninstall ($prefix) left $left"
done

e2e_finish
