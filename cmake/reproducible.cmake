# Two builds of one commit, in any folders, give the same bytes. No image names the folders it
# was built in (debug information, __FILE__): both map to ".". No PE image carries the time it
# was linked at, in its header or its export table. The packages take their times from
# SOURCE_DATE_EPOCH (packaging/source_date.cmake).
if(NOT MSVC)
  foreach(dir IN ITEMS ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${dir}=.>)
  endforeach()
endif()
if(MINGW)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
