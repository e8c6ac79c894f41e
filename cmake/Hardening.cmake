# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's hardening flags, as dpkg-buildflags gives them with every hardening
# feature on: stack protector, _FORTIFY_SOURCE, format checks, read-only
# relocations resolved at start (relro, now); PIE is the compiler's default.
# Only for optimised builds (_FORTIFY_SOURCE needs optimisation), never with
# the sanitizers or the fuzzer, whose own instrumentation they would disturb.
# The package is built from RelWithDebInfo. The optimisation and debug
# levels stay the build type's, and the file-prefix maps are left out: they
# would point the debugger away from a developer's source tree.
set(karvel_optimised_types Release RelWithDebInfo MinSizeRel)
if(NOT KARVEL_HARDEN OR KARVEL_SANITIZE OR KARVEL_FUZZ
   OR NOT CMAKE_BUILD_TYPE IN_LIST karvel_optimised_types)
  return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags (Debian package dpkg-dev) not found: the build is not "
                  "hardened; configure with -DKARVEL_HARDEN=OFF to silence this")
  return()
endif()

function(karvel_buildflags variable out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${DPKG_BUILDFLAGS} --get ${variable}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${variable} failed (${status})")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^(-g[0-9]*|-O[0-9s]?|-f(file|debug|macro)-prefix-map=.*)$")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

karvel_buildflags(CPPFLAGS cppflags)
karvel_buildflags(CXXFLAGS cxxflags)
karvel_buildflags(LDFLAGS ldflags)
add_compile_options(${cppflags} ${cxxflags})
add_link_options(${ldflags})
message(STATUS "Hardening flags (dpkg-buildflags): ${cppflags} ${cxxflags} ${ldflags}")
