# One Debian package of every program: `cpack -G DEB` in the build folder, or
# the `package` target. It holds what `cmake --install` puts under /usr.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varomsgboard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Varo Display Systems, Inc.")
set(CPACK_PACKAGE_CONTACT "VaroMsgBoard maintainers <maintainers@varo.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.varo.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Put a line of text on a Varo LED message board")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
VaroMsgBoard sends a message, with its board number, brightness and
presentation mode, to a Varo LED message board over a serial port or as a
UDP broadcast, and keeps the history of recent messages.
.
The package holds the window (VaroMsgBoard), the sender for scripts
(VaroSend), the virtual board that shows what a board would show (VaroBoard)
and, when built, the board service (VaroServe) with its systemd user unit.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries come from the binaries; these are used without being linked:
# the window's fonts (Arial's metrics, a fixed-pitch fallback), the SQLite
# driver the service loads as a plugin, the opener of the maker's web page.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
if(TARGET VaroServe)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6sql6-sqlite")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# A history that root's window wrote beside the program is no longer anyone's
# once the program is gone.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The desktop entries name the installed program: install under /usr itself.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
include(CPack)
