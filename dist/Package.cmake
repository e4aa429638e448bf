# Included from the top folder, where include(CPack) reads these.
# The Debian package: `cpack -G DEB` in the build folder. dpkg-shlibdeps works
# out the dependencies from the installed binaries. The icon cache and the
# menu are refreshed by the triggers of the packages that own them, so the
# package needs no scripts of its own.
#
# The version carries a Debian revision (1.21-1), the one the changelog in
# /usr/share/doc/brimvale names.
set(CPACK_PACKAGE_NAME brimvale)
set(CPACK_PACKAGE_VENDOR "The Brimvale developers")
set(CPACK_PACKAGE_CONTACT "Brimvale developers <maintainers@brimvale.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wizard that finds unneeded files and gets disk space back")
# CPack puts the summary above this as the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Brimvale walks a fixed drive, lists the files that match the chosen
criteria (temporary files, backups, logs and caches, or files chosen by
location, name, size and age) and deletes, moves, zips or drops the files
the user checks. Each file is checked to be the very file the scan found
before it is touched.
.
The package also holds brimvale-cli, the same search from a shell.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://brimvale.example.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The user guide opens in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BV_DEB_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# CPack writes postinst and postrm scripts that call ldconfig whenever a
# shared object lies below /usr/lib, even in a private folder such as
# lib/brimvale that the dynamic linker never searches. Naming scripts of our
# own turns that off; as these files are never made, no script is packed.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/no-maintainer-scripts/postinst
  ${CMAKE_BINARY_DIR}/no-maintainer-scripts/postrm)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
