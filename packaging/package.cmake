# The `package` target's one script, run by CPack's External generator on the files it staged:
# the platform's packages, the source tarball pellwick-VERSION.tar.gz, and the lists SHA256SUMS
# and MD5SUMS of them all (GNU format, bare names, as sha256sum -c, md5sum -c and Pellwick read
# them), signed into SHA256SUMS.asc when CPACK_PELLWICK_GPG_KEY names a key. Every byte is fixed
# by the sources and SOURCE_DATE_EPOCH, so two builds of one commit make the same packages.
#   Windows: Pellwick-VERSION-win64.zip (here) and Pellwick-VERSION-x64.msi (msi.cmake), and
#            the source packages of gpgv.exe (gnupg2, libgcrypt20, libgpg-error)
#   Linux:   pellwick_VERSION_ARCH.deb (deb.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/source_date.cmake)
pellwick_source_date_epoch(epoch ${CPACK_PELLWICK_SOURCE_DIR})
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
set(version ${CPACK_PACKAGE_VERSION})
set(stage ${CPACK_TEMPORARY_DIRECTORY})
set(out ${CPACK_TOPLEVEL_DIRECTORY})
set(packages "")

# run([IN <folder>] <command>...): runs it there, and any failure stops the packaging with its
# output.
function(run)
  cmake_parse_arguments(PARSE_ARGV 0 run "" IN "")
  if(NOT run_IN)
    set(run_IN ${out})
  endif()
  execute_process(COMMAND ${run_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${run_IN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    list(JOIN run_UNPARSED_ARGUMENTS " " command)
    message(FATAL_ERROR "${command} (${status}):\n${output}")
  endif()
endfunction()

# settle(<folder>): every entry as any umask would have left it (rwxr-xr-x or rw-r--r--) and
# dated SOURCE_DATE_EPOCH, not at the moment it was built or copied.
function(settle folder)
  run(chmod -R u=rwX,go=rX ${folder})
  run(find ${folder} -exec touch -h -d @${epoch} {} +)
endfunction()

if(CPACK_PELLWICK_PLATFORM STREQUAL "windows")
  settle(${stage})
  # The zip: one folder named after the package, entries in byte order, times as UTC, and no
  # owner or other Unix extras (-X), so the same files make the same zip on any machine.
  if(NOT CPACK_PELLWICK_ZIP)
    message(FATAL_ERROR "zip (Debian package zip) is needed to make the Windows zip")
  endif()
  get_filename_component(parent ${stage} DIRECTORY)
  file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE ${parent} ${stage}/*)
  list(SORT entries)
  set(zip ${out}/${CPACK_PACKAGE_FILE_NAME}.zip)
  file(REMOVE ${zip})
  run(IN ${parent} env TZ=UTC ${CPACK_PELLWICK_ZIP} -X -D -q ${zip} ${entries})
  list(APPEND packages ${zip})
  if(CPACK_PELLWICK_WIXL)
    include(${CMAKE_CURRENT_LIST_DIR}/msi.cmake)
  endif()
  # gpgv.exe's corresponding source: each Debian source package it is built from, whole.
  if(CPACK_PELLWICK_GPGV_SOURCES)
    file(GLOB sources LIST_DIRECTORIES false ${CPACK_PELLWICK_GPGV_SOURCES}/*)
    if(NOT sources)
      message(FATAL_ERROR "${CPACK_PELLWICK_GPGV_SOURCES}: no source packages for gpgv.exe")
    endif()
    file(COPY ${sources} DESTINATION ${out})
    foreach(file IN LISTS sources)
      get_filename_component(name ${file} NAME)
      list(APPEND packages ${out}/${name})
    endforeach()
  endif()
else()
  include(${CMAKE_CURRENT_LIST_DIR}/deb.cmake)
endif()

# The source tarball: the commit as git archive writes it, every entry dated the commit's time
# and owned by root, compressed without a name or time in the gzip header.
execute_process(COMMAND git -C ${CPACK_PELLWICK_SOURCE_DIR} rev-parse --verify -q HEAD
                OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE no_git)
if(no_git)
  message(STATUS "${CPACK_PELLWICK_SOURCE_DIR} is no git work tree: no source tarball")
else()
  set(tarball ${out}/pellwick-${version}.tar.gz)
  run(git -C ${CPACK_PELLWICK_SOURCE_DIR} -c tar.umask=022 -c "tar.tar.gz.command=gzip -cn"
      archive --format=tar.gz --prefix=pellwick-${version}/ -o ${tarball} HEAD)
  list(APPEND packages ${tarball})
endif()

list(SORT packages)
set(sha256 "")
set(md5 "")
foreach(file IN LISTS packages)
  get_filename_component(name ${file} NAME)
  file(SHA256 ${file} digest)
  string(APPEND sha256 "${digest}  ${name}\n")
  file(MD5 ${file} digest)
  string(APPEND md5 "${digest}  ${name}\n")
endforeach()
file(WRITE ${out}/SHA256SUMS "${sha256}")
file(WRITE ${out}/MD5SUMS "${md5}")
list(APPEND packages ${out}/SHA256SUMS ${out}/MD5SUMS)

# A signature left from an earlier run would no longer match the list.
file(REMOVE ${out}/SHA256SUMS.asc ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS.asc)
if(CPACK_PELLWICK_GPG_KEY)
  run(gpg --batch --yes --armor --local-user ${CPACK_PELLWICK_GPG_KEY} --output ${out}/SHA256SUMS.asc
      --detach-sign ${out}/SHA256SUMS)
  list(APPEND packages ${out}/SHA256SUMS.asc)
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${packages})
