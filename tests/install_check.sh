#!/bin/sh
# Installs the built programs into an empty folder and checks that they are
# whole there: the window and its help file side by side, desktop entries
# that start the window and the virtual board from that folder, the icon,
# links on the PATH, the scripted sender and the service with their manual
# pages, and the service's systemd unit naming the installed program.
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
test "$(readlink -f "$prefix/bin/VaroBoard")" = "$(readlink -f "$dir/VaroBoard")"
grep -qx "Exec=$dir/VaroBoard PTY" "$prefix/share/applications/varoboard.desktop"
test -x "$prefix/bin/VaroSend"
test -f "$prefix/share/man/man1/VaroSend.1"
test -x "$prefix/bin/VaroServe"
test -f "$prefix/share/man/man1/VaroServe.1"
grep -q "^ExecStart=$prefix/bin/VaroServe .* %i$" "$prefix/lib/systemd/user/varoserve@.service"
echo "1 passed, 0 failed"
