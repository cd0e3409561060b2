#!/bin/sh
# Installs the programs into an empty folder, as a user would, then builds
# the Debian package and unpacks it: in both, every file in place, links and
# valid desktop entries that start the programs in their folder; the
# package's files under /usr only, its control fields filled and its Depends
# holding the libraries and what the programs use without linking it; the
# unit passes systemd-analyze verify and the package passes lintian.
# Arguments: the build folder, the version, 1 when VaroServe is built.
set -e
build="$1" version="$2" serve="$3"
for tool in dpkg-shlibdeps desktop-file-validate systemd-analyze lintian; do
    command -v $tool >/dev/null || { echo "SKIP: no $tool: run scripts/deps.sh test"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
files="bin/VaroSend lib/VaroMsgBoard/VaroMsgBoard.hlp share/icons/hicolor/32x32/apps/varomsgboard.png
       share/man/man1/VaroSend.1.gz share/man/man1/VaroBoard.1.gz"
[ "$serve" = 0 ] || files="$files bin/VaroServe share/man/man1/VaroServe.1.gz"
check() { # the prefix, the folder it is unpacked in, where systemd finds the unit there
    unit="$3/varoserve@.service"
    [ "$serve" = 1 ] || unit=""
    for file in $files $unit; do test -e "$2$1/$file" || { echo "no $1/$file"; exit 1; }; done
    [ -z "$unit" ] || grep -q "^ExecStart=$1/bin/VaroServe .* %i\$" "$2$1/$unit"
    for program in VaroMsgBoard VaroBoard; do
        test "$(readlink -f "$2$1/bin/$program")" = "$(readlink -f "$2$1/lib/VaroMsgBoard/$program")"
        grep -qx "Exec=$1/lib/VaroMsgBoard/$program\( PTY\)\?" "$2$1"/share/applications/*.desktop
    done
    desktop-file-validate "$2$1"/share/applications/*.desktop
}
cmake --install "$build" --prefix "$tmp/user" >/dev/null
check "$tmp/user" "" share/systemd/user
# As installed, with the program and its manual page where the unit names
# them; verify's exit status ignores its warnings, so any word fails.
if [ "$serve" = 1 ]; then
    said=$(XDG_RUNTIME_DIR="$tmp" MANPATH="$tmp/user/share/man" \
           systemd-analyze --user verify "$tmp/user/share/systemd/user/varoserve@.service" 2>&1)
    [ -z "$said" ] || { echo "$said"; exit 1; }
fi

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/deb" >/dev/null
deb="$tmp/deb/varomsgboard_${version}_$(dpkg --print-architecture).deb" # named from its control fields
dpkg-deb -x "$deb" "$tmp/root"
check /usr "$tmp/root" lib/systemd/user
test "$(ls "$tmp/root")" = usr
dpkg-deb -f "$deb" Maintainer | grep -q '^[^<]\+ <[^@ ]\+@[^> ]\+>$'
test "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 2
needs="libqt6widgets6 libqt6serialport6 libqt6network6 fonts-liberation2 fonts-dejavu-core"
[ "$serve" = 0 ] || needs="$needs libqt6httpserver6 libqt6sql6 libqt6sql6-sqlite"
for package in $needs; do
    dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep -q "^ *$package\( \|$\)" || { echo "no $package"; exit 1; }
done
# Debian's checker: gzipped manual pages, the copyright file, the changelog...
said=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "$said"; exit 1; }
echo "1 passed, 0 failed"
