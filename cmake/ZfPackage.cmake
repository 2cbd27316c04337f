# The Debian package: `cpack -G DEB` in the build folder (scripts/deb-test.sh builds, installs, starts and
# removes it). Dependencies come from dpkg-shlibdeps over the installed executables and library.
set(CPACK_PACKAGE_NAME zentrafox)
set(CPACK_PACKAGE_VENDOR "The Zentrafox developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration program for Zentrafox gaming mice")
set(CPACK_PACKAGE_DESCRIPTION "Zentrafox sets up a gaming mouse that connects by cable or through a 2.4 GHz
USB receiver: DPI levels, report rate, sensor options, button assignments, keyboard macros, lighting,
profiles, configuration files, firmware upgrades and receiver pairing. Virtual mice and receivers ship
with it, so every feature can be tried without hardware (zentrafox-mouse drives them).")
set(CPACK_PACKAGE_HOMEPAGE_URL ${ZF_PROJECT_URL})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zentrafox developers <dev@zentrafox.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt draws through its xcb plugin, which libqt5gui5 carries; a tray needs nothing more.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, qttranslations5-l10n")

include(CPack)
