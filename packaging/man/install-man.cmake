# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the manual pages. Run at install time, not at build time, because
# the pages name the folders of the install itself, and the prefix is known
# only then (cpack installs under /usr whatever the build was configured for).
# Set by the caller: KARVEL_MAN_PAGES, KARVEL_MAN_SOURCE_DIR, KARVEL_MAN_WORK_DIR,
# PROJECT_VERSION and the install folders KARVEL_BINDIR, KARVEL_DATADIR,
# KARVEL_MANDIR (relative to the prefix).
foreach(dir BINDIR DATADIR)
  if(IS_ABSOLUTE "${KARVEL_${dir}}")
    set(KARVEL_FULL_${dir} "${KARVEL_${dir}}")
  else()
    set(KARVEL_FULL_${dir} "${CMAKE_INSTALL_PREFIX}/${KARVEL_${dir}}")
  endif()
endforeach()
set(pages)
foreach(page ${KARVEL_MAN_PAGES})
  configure_file(${KARVEL_MAN_SOURCE_DIR}/${page}.in ${KARVEL_MAN_WORK_DIR}/${page} @ONLY)
  # -n: no name or time stamp inside, so that two installs give the same bytes.
  execute_process(COMMAND gzip -9nf ${KARVEL_MAN_WORK_DIR}/${page} COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND pages ${KARVEL_MAN_WORK_DIR}/${page}.gz)
endforeach()
if(IS_ABSOLUTE "${KARVEL_MANDIR}")
  set(man1 "${KARVEL_MANDIR}/man1")
else()
  set(man1 "${CMAKE_INSTALL_PREFIX}/${KARVEL_MANDIR}/man1")
endif()
file(INSTALL DESTINATION "${man1}" TYPE FILE FILES ${pages})
