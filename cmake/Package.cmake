# The Debian package, made by CPack from what `cmake --install` installs:
#   cmake --build build/release --target package   (or: cd build/release && cpack -G DEB)
# Its dependencies are the libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fenno)
set(CPACK_PACKAGE_VENDOR "Fenno")
set(CPACK_PACKAGE_CONTACT "Fenno developers <fenno@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data-acquisition wedge for serial and TCP instruments")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Comfenno (serial ports) and Netfenno (TCP) read laboratory and factory instruments,\n\
cut what they send into records and fields, and hand every record on as keystrokes,\n\
as live data items on the D-Bus session bus, or as lines of a log file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt platform plugin and the translations are loaded at run time, not linked.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-dbus, libglib2.0-bin")
# Only the programs and their data; a developer's tests and tools stay out.
set(CPACK_STRIP_FILES ON)
include(CPack)
