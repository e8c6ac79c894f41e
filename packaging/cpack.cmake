# SPDX-License-Identifier: GPL-3.0-or-later
# Packages: `cpack -G DEB` (or the `package` target) in the build tree makes
# karvel_<version>_<arch>.deb, installed under /usr with the Linux layout. A
# portable build (KARVEL_PORTABLE) packs its folder into a .tar.gz instead.
set(CPACK_PACKAGE_NAME karvel)
set(CPACK_PACKAGE_VENDOR "The KARVEL developers")
set(CPACK_PACKAGE_CONTACT "KARVEL maintainers <maintainers@users.noreply.c-seed-6fcebff6.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The project's address is not settled yet: a placeholder (also in the
# AppStream metadata and the copyright file).
set(CPACK_PACKAGE_HOMEPAGE_URL "https://karvel.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "bus analysis companion for the Tarvik handheld oscilloscopes")
set(CPACK_STRIP_FILES ON)

if(KARVEL_PORTABLE)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME karvel-${PROJECT_VERSION}-portable)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_KARVEL_STRIP ${CMAKE_STRIP})
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip-comments.cmake)
  # The libraries the executables link to, as dpkg-shlibdeps finds them
  # (Qt PDF among them: libqt6pdf6, libqt6pdfwidgets6; Qt Charts: libqt6charts6).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Qt SQL loads its SQLite driver as a plug-in, which dpkg-shlibdeps cannot see.
  # The maintenance report embeds DejaVu Sans, found by name through fontconfig.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-dejavu-core")
  # Help documents and exported workbooks are opened with the desktop's own
  # applications; without a PDF viewer the program shows the help itself.
  # A register on a PostgreSQL server needs Qt's QPSQL plug-in (the program
  # says so when it is missing).
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n, libqt6sql6-psql")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc | gnumeric")
  # CPack puts the summary on the first line; a line that starts with a blank
  # is shown as it is.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "KARVEL works with the bus-analysis mode of the Tarvik RQ4102 and RQ6102
handheld oscilloscopes: it talks to the instrument over RS232, USB serial or
TCP, edits bus definition files (*.BUS) and derives new ones for another bus
speed or voltage, lists, fetches and sends the instrument's files, and reads
its diagnostic results (*.HTM) as coloured tables to print or export to a
spreadsheet workbook. In French, English, German, Spanish and Italian.

karvel-cli does the same work from scripts; karvel-sim simulates an
instrument for training without one.

Serial ports belong to the group dialout. To use the instrument over a
serial or USB cable, add your user to it:
 sudo usermod -aG dialout $USER
then log out and in again: the new group counts from the next login.")
endif()

include(CPack)
