# Run by CPack on the staged files before it builds the Debian package:
# Debian keeps manual pages and changelogs compressed with gzip -9n.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
foreach(file "${CPACK_KALVORA_DOCDIR}/changelog" "${CPACK_KALVORA_MANDIR}/man1/kalvora.1")
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "${root}/${file} is missing from the package")
  endif()
  execute_process(COMMAND gzip -9nf "${root}/${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot compress ${root}/${file}")
  endif()
endforeach()
