# The Linux program as a Debian package: `cpack -G DEB` in the build folder (or
# `make package` at the top), giving voq-upgrade_VERSION_ARCH.deb.
include(GNUInstallDirs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voq-upgrade)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The VOQ Upgrade developers")
set(CPACK_PACKAGE_CONTACT "The VOQ Upgrade developers <developers@voq-upgrade.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware upgrade tool for VOQ network telephone devices")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VOQ Upgrade puts new firmware on a VOQ telephone adapter or IP phone over the
local network. It reads the device's status page (answering Digest
authentication), shows what it read, tells the device to fetch the firmware
that travels inside the program, serves it by TFTP, waits out the restart and
checks the new version. voq-upgrade-cli does the same from a terminal or a
script, for one device or a list of them, with an exit status for each outcome.

On installation the programs are granted the one capability they need to bind
UDP port 69, from which the devices fetch their firmware.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install runs with DESTDIR set, which tells the install step not to grant the
# capability to the staged copy: the postinst grants it where the package lands.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

# The Qt libraries from the program's own needs; setcap for the postinst; the Qt
# platform plugins, without which no Qt program opens a window.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

set(VOQ_PACKAGED_PROGRAM ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/voq-upgrade)
set(VOQ_PACKAGED_CLI ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/voq-upgrade-cli)
configure_file(${PROJECT_SOURCE_DIR}/frontends/qt/debian/postinst.in ${PROJECT_BINARY_DIR}/debian/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
