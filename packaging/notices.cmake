# Writes the notices that travel with the program, at build time, from the libmd copyright
# file of the very libmd the engine links (it exists only once a Windows build has fetched it):
#   cmake -DLICENSE=<LICENSE> -DLIBMD=<libmd's copyright> -DNOTICES=<out>
#         [-DDEBIAN=<out> -DDEBIAN_HEAD=<copyright.in> -D<its @variables@>...] -P notices.cmake
file(READ "${LIBMD}" libmd)

file(WRITE "${NOTICES}" "Third-party notices for Pellwick

The engine library beside the program (md5.dll on Windows, md5.so on Linux) is built from
libmd, https://www.hadrons.org/software/libmd/, and carries its MD5 code. libmd's copyright
and licence terms follow, as its source states them.

==============================================================================

${libmd}")

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
