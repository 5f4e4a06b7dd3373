# Part of package.cmake: wixl builds the installer Pellwick-VERSION-x64.msi from pellwick.wxs
# and the staged files, which it reads by relative names. Nothing in it is left to chance: the
# product and package codes are named after what the installer holds, and wixl runs on a clock
# stopped at SOURCE_DATE_EPOCH for the dates of its summary information; the cabinet's file
# times are those the staging was given.

# Windows Installer compares only the first three fields of a version. The installed copies
# this one replaces are those below the next third field, so that another build of the same
# three fields replaces the installed one too instead of installing beside it.
if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)")
  message(FATAL_ERROR "the installer needs a version of at least three numbers, not \"${version}\"")
endif()
math(EXPR next "${CMAKE_MATCH_3} + 1")
set(below "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next}")
set(defines Version=${version} UpgradeBelow=${below} Publisher=${CPACK_PACKAGE_VENDOR}
            Homepage=${CPACK_PACKAGE_HOMEPAGE_URL})

# Every build that differs in anything the installer holds is another product, as wixl's own
# random codes would make it (so it replaces the one installed), while the same files always
# give the same codes.
file(SHA256 ${CPACK_PELLWICK_WXS} identity)
file(GLOB staged LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
list(SORT staged)
foreach(name IN LISTS staged)
  file(SHA256 ${stage}/${name} digest)
  string(APPEND identity " ${name} ${digest}")
endforeach()
string(APPEND identity " ${defines}")
foreach(code product package)
  # Named in the space of the upgrade code in pellwick.wxs, which all of Pellwick's installers share.
  string(UUID ${code}_code NAMESPACE 14A7CF41-502C-4AA4-877E-0495F8E814BE NAME "${code} ${identity}" TYPE SHA1 UPPER)
endforeach()

string(TIMESTAMP frozen "%Y-%m-%d %H:%M:%S" UTC)  # SOURCE_DATE_EPOCH, which package.cmake set
set(at_epoch env TZ=UTC ${CPACK_PELLWICK_FAKETIME} -f ${frozen})
set(msi ${out}/Pellwick-${version}-x64.msi)
set(wixl_defines "")
foreach(define IN LISTS defines ITEMS ProductCode=${product_code})
  list(APPEND wixl_defines -D ${define})
endforeach()
execute_process(
  COMMAND ${at_epoch} ${CPACK_PELLWICK_WIXL} -a x64 -o ${msi} ${wixl_defines} ${CPACK_PELLWICK_WXS}
  WORKING_DIRECTORY ${stage}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
# wixl passes over what it does not know with a warning, so any word from it is a failure.
if(NOT status EQUAL 0 OR output)
  message(FATAL_ERROR "wixl could not build ${msi} (${status}):\n${output}")
endif()
# wixl always draws the package code at random; msibuild rewrites the summary information
# with the same subject, author and platform and this one.
run(${at_epoch} ${CPACK_PELLWICK_MSIBUILD} ${msi} -s "Pellwick ${version}" ${CPACK_PACKAGE_VENDOR} "x64;1033"
    "{${package_code}}")
if(CPACK_PELLWICK_SIGN_PFX)
  run(${CMAKE_COMMAND} -DFILE=${msi} -DPFX=${CPACK_PELLWICK_SIGN_PFX} -DPASS_FILE=${CPACK_PELLWICK_SIGN_PASS_FILE}
      -DTIMESTAMP_URL=${CPACK_PELLWICK_SIGN_TIMESTAMP_URL} -DOSSLSIGNCODE=${CPACK_PELLWICK_OSSLSIGNCODE}
      -DSOURCE_DIR=${CPACK_PELLWICK_SOURCE_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
endif()
list(APPEND packages ${msi})
