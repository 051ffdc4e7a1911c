# Run by CPack between the install into its staging folder and the packing: every manual page
# there, whoever installed it, is compressed as Debian policy asks.
file(GLOB_RECURSE files "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(page IN LISTS files)
  if(page MATCHES "/share/man/" AND NOT page MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Could not compress ${page}")
    endif()
  endif()
endforeach()
