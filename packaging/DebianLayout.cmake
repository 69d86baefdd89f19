# Run by CPack on the staged files before it builds the Debian package:
# Debian keeps manual pages and changelogs compressed with gzip -9n.
file(GLOB_RECURSE staged_roots LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/${CPACK_KALVORA_DOCDIR}")
foreach(doc IN LISTS staged_roots)
  string(REPLACE "/${CPACK_KALVORA_DOCDIR}" "" root "${doc}")
  foreach(file "${CPACK_KALVORA_DOCDIR}/changelog" "${CPACK_KALVORA_MANDIR}/man1/kalvora.1")
    if(EXISTS "${root}/${file}")
      execute_process(COMMAND gzip -9nf "${root}/${file}" RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "cannot compress ${root}/${file}")
      endif()
    endif()
  endforeach()
endforeach()
