# Fails when `vxscene list` finds a package marker in any of FILES.
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${VXSCENE} list ${file} RESULT_VARIABLE status ERROR_VARIABLE error OUTPUT_QUIET)
  if(status EQUAL 0 OR NOT error MATCHES "no package")
    message(FATAL_ERROR "${file}: a package marker was found (${status}: ${error})")
  endif()
endforeach()
