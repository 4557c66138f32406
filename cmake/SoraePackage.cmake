# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh
# does that) makes sorae-apt_<version>_<arch>.deb of what `cmake --install`
# puts under /usr: the program, the world outline, the desktop entry and
# icon, the manual page and the licences of the shipped data. The library
# dependencies are found by dpkg-shlibdeps; the Japanese font is named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorae-apt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "SORAE-APT developers <sorae-apt@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "NOAA weather-satellite APT receiver and decoder")
# The summary above is the description's first line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Records the APT signal of the NOAA polar orbiters from the sound card (or a\n\
recording), decodes it into the two channel pictures of each pass, predicts\n\
passes from two-line element sets, controls the receiver over a serial port\n\
and draws a world map with the ground tracks. The window speaks Japanese.")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
