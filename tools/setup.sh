#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
set -euo pipefail

PAQUETES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-translations-l10n libglib2.0-dev libicu-dev
  qt6-image-formats-plugins libqt6svg6 libglib2.0-bin gvfs dbus-daemon
  libgtest-dev libgmock-dev
  fonts-dejavu-core fontconfig adwaita-icon-theme hicolor-icon-theme shared-mime-info
  xvfb xclip
  samba smbclient libsmbclient-dev iproute2
  avahi-daemon libavahi-client-dev dbus
  libblkid-dev e2fsprogs
  liburing-dev
  desktop-file-utils appstream dpkg-dev lintian
  debootstrap
  attr acl
  plocate
)

faltan=()
for p in "${PAQUETES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
[ ${#faltan[@]} -eq 0 ] && exit 0

echo "Installing: ${faltan[*]}"
if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${faltan[@]}"
