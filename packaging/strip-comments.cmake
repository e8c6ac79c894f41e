# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack on the staged files, after its own strip (CPACK_STRIP_FILES)
# and before it packs them: removes the compilers' .comment section from the
# executables, as Debian's own packaging does (lintian:
# binary-has-unneeded-section). It holds only the compiler's version text.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
if(NOT programs)
  message(FATAL_ERROR "no executables staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin")
endif()
foreach(program ${programs})
  execute_process(COMMAND "${CPACK_KARVEL_STRIP}" --remove-section=.comment "${program}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
