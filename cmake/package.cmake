# "cpack -G DEB" makes a Debian package of what the install rules put under
# /usr. Its runtime dependencies come from the shared libraries the program
# links (dpkg-shlibdeps), plus what is loaded at run time and no link reveals:
# the Qt platform plugins and libcurl (7.85 or later, for the protocol list).
set(CPACK_PACKAGE_NAME sluice)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Opens and closes ports on a home router through UPnP IGD")
set(CPACK_PACKAGE_DESCRIPTION
    "Sluice maps ports of a home router to a game or web server on the LAN, by UPnP IGD: \
a small Qt window, unattended command-line runs and a list of the router's mappings.")
set(CPACK_PACKAGE_CONTACT "Sluice developers <sluice@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcurl4 (>= 7.85.0)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic")

include(CPack)
