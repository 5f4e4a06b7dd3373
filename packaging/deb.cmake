# Part of package.cmake: the Debian package pellwick_VERSION_ARCH.deb from the staged tree,
# with the control file and md5sums written here and dpkg-deb packing it: every entry owned by
# root, in sorted order, dated SOURCE_DATE_EPOCH, and compressed by one thread, so that the
# number of cores a machine has never has a say.
foreach(tool dpkg-deb dpkg-shlibdeps)
  find_program(path_of_${tool} ${tool} REQUIRED)
endforeach()
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# What dpkg-gencontrol would count: each file's KiB, rounded up, and one for anything else.
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${stage} ${stage}/*)
list(SORT entries)
set(kib 0)
set(files "")
set(programs "")
foreach(entry IN LISTS entries)
  if(IS_SYMLINK ${stage}/${entry} OR IS_DIRECTORY ${stage}/${entry})
    math(EXPR kib "${kib} + 1")
    continue()
  endif()
  file(SIZE ${stage}/${entry} size)
  math(EXPR kib "${kib} + (${size} + 1023) / 1024")
  list(APPEND files ${entry})
  if(entry MATCHES "^usr/libexec/")
    list(APPEND programs -e${stage}/${entry})
  endif()
endforeach()

# The libraries the program and its engine need, as dpkg-shlibdeps names their packages; it
# reads the package's debian/control, which says nothing here.
file(WRITE ${out}/shlibdeps/debian/control "")
execute_process(COMMAND ${path_of_dpkg-shlibdeps} -O ${programs} WORKING_DIRECTORY ${out}/shlibdeps
                RESULT_VARIABLE status OUTPUT_VARIABLE depends ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT depends MATCHES "^shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps found no dependencies (${status}):\n${depends}${warnings}")
endif()
# gpgv checks publishers' signatures; it is started by its path, so no library names it.
set(depends "${CMAKE_MATCH_1}, gpgv")

string(REPLACE "\n" "\n " description " ${CPACK_PACKAGE_DESCRIPTION}")
file(MAKE_DIRECTORY ${stage}/DEBIAN)
file(WRITE ${stage}/DEBIAN/control "Package: ${CPACK_PACKAGE_NAME}
Version: ${version}
Architecture: ${arch}
Maintainer: ${CPACK_PACKAGE_CONTACT}
Installed-Size: ${kib}
Depends: ${depends}
Section: utils
Priority: optional
Homepage: ${CPACK_PACKAGE_HOMEPAGE_URL}
Description: ${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
${description}
")
set(md5sums "")
foreach(entry IN LISTS files)
  file(MD5 ${stage}/${entry} digest)
  string(APPEND md5sums "${digest}  ${entry}\n")
endforeach()
file(WRITE ${stage}/DEBIAN/md5sums "${md5sums}")

settle(${stage})
set(deb ${out}/${CPACK_PACKAGE_NAME}_${version}_${arch}.deb)
run(${path_of_dpkg-deb} --root-owner-group -Zxz --threads-max=1 --build ${stage} ${deb})
list(APPEND packages ${deb})
