# CPack's External generator runs this on the staged Windows package: wixl builds the
# installer Pellwick-VERSION-x64.msi from pellwick.wxs and those files.
set(version ${CPACK_PACKAGE_VERSION})
# Windows Installer compares only the first three fields of a version. The installed copies
# this one replaces are those below the next third field, so that another build of the same
# three fields replaces the installed one too instead of installing beside it.
if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)")
  message(FATAL_ERROR "the installer needs a version of at least three numbers, not \"${version}\"")
endif()
math(EXPR next "${CMAKE_MATCH_3} + 1")
set(below "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next}")

set(msi ${CPACK_TOPLEVEL_DIRECTORY}/Pellwick-${version}-x64.msi)
execute_process(
  COMMAND ${CPACK_PELLWICK_WIXL} -a x64 -o ${msi} -D Version=${version} -D UpgradeBelow=${below}
          -D Publisher=${CPACK_PACKAGE_VENDOR} -D Homepage=${CPACK_PACKAGE_HOMEPAGE_URL} ${CPACK_PELLWICK_WXS}
  # wixl finds sources by relative names only.
  WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
# wixl passes over what it does not know with a warning, so any word from it is a failure.
if(NOT status EQUAL 0 OR output)
  message(FATAL_ERROR "wixl could not build ${msi} (${status}):\n${output}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${msi})
