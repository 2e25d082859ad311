#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need: only those missing,
# non-interactively, refreshing the package lists first when something has to be installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config make
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev qt6-image-formats-plugins qt6-wayland
  libgumbo-dev libpng-dev libjpeg62-turbo-dev libxcb1-dev libxcb-xinerama0-dev libjemalloc-dev libseccomp-dev
  libgtest-dev libgmock-dev
  xvfb xauth x11-apps x11-utils xdotool imagemagick
  python3 openssl iproute2 util-linux
  clang libclang-rt-14-dev clang-format
  valgrind
  # websim's real documents and pictures; curl for the server end-to-end test
  debian-reference-en desktop-base curl
  # the Debian package, its metadata's validators, the manual pages, socket activation
  debhelper dpkg-dev lintian desktop-file-utils appstream libxml2-utils man-db systemd
  # the collage under Wayland compositors; sway and wayvnc give the headless one a pointer
  weston sway wayvnc
  # quorel-idle: the Wayland idle protocols, X11's screen-saver extension, the session bus
  libwayland-dev wayland-protocols plasma-wayland-protocols libxcb-screensaver0-dev
  dbus dbus-daemon python3-dbus python3-gi
  # a desktop of two monitors for the end-to-end tests
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  # a small window manager that honours full screen over several monitors
  icewm
  # a decimal-comma locale for the number tests
  locales
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
add_locale() {
  locale -a 2>/dev/null | grep -qix 'de_DE.utf8' && return 0
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "deps: no de_DE.UTF-8 locale"
}

if ((${#missing[@]} == 0)); then
  echo "deps: all ${#packages[@]} packages present"
  add_locale
  exit 0
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
add_locale
