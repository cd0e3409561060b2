#!/bin/sh
# Installs the Debian 12 packages the program needs to build, run and test,
# when any of them is missing.
set -e
packages="build-essential cmake qt6-base-dev qt6-serialport-dev libqt6serialport6-dev
          fonts-dejavu-core fonts-liberation2 iproute2 util-linux clang-format dpkg-dev desktop-file-utils
          qt6-httpserver-dev qt6-websockets-dev libqt6sql6-sqlite chromium chromium-driver python3-selenium
          pkg-config libmosquitto-dev libssl-dev openssl mosquitto mosquitto-clients strace tzdata"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing="$missing $package"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
