# Writes the notices that travel with the program, at build time, from the libmd copyright
# file of the very libmd the engine links (it exists only once a Windows build has fetched it):
#   cmake -DLICENSE=<LICENSE> -DLIBMD=<libmd's copyright> -DNOTICES=<out>
#         [-DGPGV=<the folder where gpgv.exe's source packages are unpacked>]
#         [-DDEBIAN=<out> -DDEBIAN_HEAD=<copyright.in> -D<its @variables@>...] -P notices.cmake
file(READ "${LIBMD}" libmd)

file(WRITE "${NOTICES}" "Third-party notices for Pellwick

The engine library beside the program (md5.dll on Windows, md5.so on Linux) is built from
libmd, https://www.hadrons.org/software/libmd/, and carries its MD5 code. libmd's copyright
and licence terms follow, as its source states them.

==============================================================================

${libmd}")

# gpgv.exe: for each source package, the version, its Debian copyright file (who holds which
# files and on what terms) and the full licence text from its upstream source.
if(GPGV)
  set(rule "\n==============================================================================\n\n")
  foreach(package gnupg2 libgcrypt20 libgpg-error)
    file(STRINGS "${GPGV}/${package}/debian/changelog" head LIMIT_COUNT 1)
    if(NOT head MATCHES "^${package} \\(([^)]+)\\)")
      message(FATAL_ERROR "${GPGV}/${package}/debian/changelog: no version in \"${head}\"")
    endif()
    set(version_${package} ${CMAKE_MATCH_1})
  endforeach()
  file(APPEND "${NOTICES}" "${rule}gpgv.exe beside the program is GnuPG's gpgv, https://gnupg.org/, built from Debian's
source package gnupg2 ${version_gnupg2} and linked with libgcrypt (Debian's libgcrypt20
${version_libgcrypt20}) and libgpg-error (Debian's libgpg-error ${version_libgpg-error}).
GnuPG is free software under the GNU General Public License, version 3 or later;
libgcrypt and libgpg-error under the GNU Lesser General Public License, version 2.1 or
later. Their complete corresponding source, the three Debian source packages (each a .dsc
and the files it names), lies in the release folder beside this package, listed in its
SHA256SUMS. For each, its copyright file and its licence texts follow, as its source has them.
")
  # Besides the (L)GPL, each source's notices of the code under other terms that gpgv.exe
  # holds (GnuPG's regular expressions, libgcrypt's BSD-licensed assembler), which ask to travel
  # with every binary.
  set(texts_gnupg2 COPYING COPYING.other)
  set(texts_libgcrypt20 COPYING.LIB LICENSES)
  set(texts_libgpg-error COPYING.LIB)
  foreach(package gnupg2 libgcrypt20 libgpg-error)
    foreach(name debian/copyright ${texts_${package}})
      file(READ "${GPGV}/${package}/${name}" text)
      file(APPEND "${NOTICES}" "${rule}${package} ${version_${package}}: ${name}\n\n${text}")
    endforeach()
  endforeach()
endif()

if(NOT DEBIAN)
  return()
endif()

# Debian's machine-readable copyright file: Pellwick's own paragraph from LICENSE, then libmd's
# paragraphs with their file names put under libmd/, so that its "*" covers libmd alone.
file(READ "${LICENSE}" licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "${LICENSE}: no \"Copyright (c)\" line followed by the terms")
endif()
set(holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms " ${terms}")
configure_file("${DEBIAN_HEAD}" "${DEBIAN}" @ONLY)

string(REGEX REPLACE "^Format:[^\n]*\n" "" rest "${libmd}")
set(paragraphs "")
while(1)
  string(FIND "${rest}" "\nFiles:" at)
  if(at EQUAL -1)
    break()
  endif()
  string(SUBSTRING "${rest}" 0 ${at} before)
  string(SUBSTRING "${rest}" ${at} -1 rest)
  string(FIND "${rest}" "\nCopyright:" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "${LIBMD}: a Files field without a Copyright field after it")
  endif()
  math(EXPR length "${end} - 7")  # after "\nFiles:"
  string(SUBSTRING "${rest}" 7 ${length} files)
  string(SUBSTRING "${rest}" ${end} -1 rest)
  string(REGEX MATCHALL "[^ \t\n]+" patterns "${files}")
  string(APPEND paragraphs "${before}\nFiles:")
  foreach(pattern IN LISTS patterns)
    string(APPEND paragraphs "\n libmd/${pattern}")
  endforeach()
endwhile()
file(APPEND "${DEBIAN}" "${paragraphs}${rest}")
