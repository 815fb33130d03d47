# SPDX-License-Identifier: GPL-3.0-or-later
#
# The Debian package (`cpack -G DEB` in the build folder) and the tests of what gets installed.
# Everything is installed under the package's prefix /usr. The package has no maintainer scripts: the
# menu, the file type and the icons are picked up by the triggers of desktop-file-utils,
# shared-mime-info and the icon theme, and the record of the installation (name, version) is the
# package's own entry in dpkg's database.

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zr740")
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_CONTACT "Korvel <zr740@users.noreply.github.com>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of the ZR740 pressure transmitter (Modbus-RTU, RS-485)")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/korvel/zr740")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_OUTPUT_FILE_PREFIX "${PROJECT_BINARY_DIR}/package")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Reads the parameters of a ZR740 pressure transmitter over RS-485 (Modbus-RTU)
into a tree, edits them and writes them back; compares the instrument with a
saved configuration (.zr740 files), sends its apply command, polls and watches
single parameters. Runs unattended from the command line with exit codes for
production-line scripts. Includes the instrument simulator zr740-sim and
zr740-dump, which prints a configuration file.

The serial ports (/dev/ttyUSB*, /dev/ttyS*) belong to the group dialout: add
each user of the program to it (sudo adduser USER dialout) and log in again.
The package does not change the permissions of any port.")
if(TARGET zr740_ui)
  # The window needs a Qt platform plugin (X11 or Wayland); the help opens in the desktop's browser.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  # Qt's own Russian texts for the standard buttons and file dialogs of a Russian window.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
endif()

include(CPack)

# Tests of the installation: they run in the normal build of the test command only (a package of a
# sanitizer build would check nothing more).
if(ZR740_TESTS AND NOT ZR740_SANITIZE AND NOT ZR740_TSAN AND NOT ZR740_FUZZ)
  set(_checks ${PROJECT_SOURCE_DIR}/tests/packaging)

  # The files of the desktop: entry, metainfo and file type, as they are in the source tree.
  add_test(NAME Packaging.DesktopFiles
    COMMAND bash ${_checks}/desktop_files_test.sh ${PROJECT_SOURCE_DIR}/data/desktop
            ${PROJECT_SOURCE_DIR}/fuzz/corpus/configuration_file/variant0 ${PROJECT_VERSION})

  # The user's guide in the build tree (where the program looks for it) and the manual pages.
  add_test(NAME Packaging.HelpAndManPages
    COMMAND bash ${_checks}/help_test.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help ${PROJECT_BINARY_DIR}/man)

  # The package is built once from the finished build, then unpacked into a scratch root and used
  # from there.
  add_test(NAME Packaging.BuildDeb
    COMMAND bash -c "rm -rf \"$1\" && \"$2\" -G DEB --config \"$3\"" build_deb
            ${CPACK_OUTPUT_FILE_PREFIX} ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}/CPackConfig.cmake
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
  set_tests_properties(Packaging.BuildDeb PROPERTIES FIXTURES_SETUP zr740_deb TIMEOUT 300)
  add_test(NAME Packaging.InstalledPackage
    COMMAND bash ${_checks}/installed_package_test.sh ${PROJECT_BINARY_DIR}/package)
  set_tests_properties(Packaging.InstalledPackage PROPERTIES FIXTURES_REQUIRED zr740_deb TIMEOUT 300)
endif()
