#!/bin/sh
# Installs the built program into an empty folder and checks that it is
# whole there: the executable and its help file side by side, a desktop
# entry that starts it from that folder, the icon, and a link on the PATH.
set -e
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

dir="$prefix/lib/VaroMsgBoard"
test -x "$dir/VaroMsgBoard"
test -f "$dir/VaroMsgBoard.hlp"
test -f "$prefix/share/icons/hicolor/32x32/apps/varomsgboard.png"
test "$(readlink -f "$prefix/bin/VaroMsgBoard")" = "$(readlink -f "$dir/VaroMsgBoard")"
grep -qx "Exec=$dir/VaroMsgBoard" "$prefix/share/applications/varomsgboard.desktop"
grep -qx "Icon=varomsgboard" "$prefix/share/applications/varomsgboard.desktop"
echo "1 passed, 0 failed"
