#!/bin/sh
# Installs the Debian 12 packages that are missing: without an argument what
# building and running the programs need; with "test", what the tests need
# as well.
set -e
# The compiler, Qt, the libraries the service links (libmosquitto through
# pkg-config, OpenSSL, libsystemd), what the programs use without linking
# it (the window's fonts, the service's SQLite driver), and file, which
# CPack's DEB generator calls beside dpkg-shlibdeps (build-essential brings
# dpkg-dev).
packages="build-essential cmake pkg-config file qt6-base-dev qt6-serialport-dev libqt6serialport6-dev
          qt6-httpserver-dev qt6-websockets-dev libqt6sql6-sqlite libmosquitto-dev libssl-dev libsystemd-dev
          fonts-dejavu-core fonts-liberation2"
# The sandbox (a private network), the formatter, the package's checks
# (dpkg-shlibdeps, the desktop entries, lintian, the systemd unit), a broker,
# openssl to make the bus's and the API's test certificates, curl for HTTPS, the page in a headless
# browser, the zone database, strace, Prometheus' parser for the metrics, and
# node with npm for the OpenAPI document's validator (which its test installs
# into the build folder).
[ "$1" != test ] || packages="$packages iproute2 util-linux clang-format dpkg-dev desktop-file-utils lintian
          systemd mosquitto mosquitto-clients openssl curl chromium chromium-driver python3-selenium tzdata strace
          python3-prometheus-client nodejs npm"
# A node installed from elsewhere (NodeSource's nodejs brings its own npm and
# conflicts with Debian's) serves as well as Debian's.
if [ "$1" = test ] && command -v node > /dev/null && command -v npm > /dev/null; then
    packages=$(echo $packages | sed 's/ nodejs npm$//')
fi
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
