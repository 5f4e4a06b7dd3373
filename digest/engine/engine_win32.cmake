# md5.dll for Windows: libmd from its Debian source package, cross-built, linked statically
# so that the image needs only the system's own DLLs, and exporting exactly the three
# functions under the library name "MD5.dll". On Windows itself (no apt), point
# PELLWICK_LIBMD_LIBRARY and PELLWICK_LIBMD_INCLUDE at a libmd built for Windows.
set(PELLWICK_LIBMD_LIBRARY "" CACHE FILEPATH "A libmd static library built for Windows (empty: fetch and build it)")
set(PELLWICK_LIBMD_INCLUDE "" CACHE PATH "The directory holding that libmd's md5.h")
set(PELLWICK_LIBMD_COPYING "" CACHE FILEPATH "That libmd's COPYING (empty: the one above its include directory)")

add_library(md5 SHARED context_check.c md5.def)
if(PELLWICK_LIBMD_LIBRARY)
  set(_libmd ${PELLWICK_LIBMD_LIBRARY})
  target_include_directories(md5 PRIVATE ${PELLWICK_LIBMD_INCLUDE})
  set(_copying ${PELLWICK_LIBMD_COPYING})
  if(NOT _copying)
    set(_copying ${PELLWICK_LIBMD_INCLUDE}/../COPYING)
  endif()
else()
  set(_dir ${CMAKE_BINARY_DIR}/libmd)
  set(_libmd ${_dir}/libmd.a)
  string(REGEX REPLACE "-gcc(-posix)?$" "" _host "${CMAKE_C_COMPILER}")
  get_filename_component(_host "${_host}" NAME)
  add_custom_command(
    OUTPUT ${_libmd} ${_dir}/include/md5.h ${_dir}/src/COPYING
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/build_libmd_win32.sh ${_dir} ${_host}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/build_libmd_win32.sh
    COMMENT "Fetching libmd's source package and cross-building it"
    VERBATIM)
  add_custom_target(libmd_win32 DEPENDS ${_libmd} ${_dir}/include/md5.h ${_dir}/src/COPYING)
  add_dependencies(md5 libmd_win32)
  target_include_directories(md5 PRIVATE ${_dir}/include)
  set(_copying ${_dir}/src/COPYING)
endif()

set_target_properties(md5 PROPERTIES
  PREFIX "" OUTPUT_NAME md5 SUFFIX ".dll"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/engine
  LINK_DEPENDS ${_libmd}
  # The libmd copyright and licence that the packages carry beside this image.
  PELLWICK_LIBMD_COPYRIGHT ${_copying})
target_link_libraries(md5 PRIVATE ${_libmd})
if(NOT MSVC)
  target_link_options(md5 PRIVATE -static -s)
endif()
# Signed before any executable takes its image: the engine a program carries and writes is the
# very file the packages install, so a signed engine is never rewritten.
pellwick_sign_after_link(md5)

# On Windows the resource is a PE resource. Each carrying target gets its own copy of the
# image and a one-line .rc that names it, so the resource is rebuilt whenever the engine is.
function(pellwick_carry_engine target engine)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_engine)
  configure_file(${PROJECT_SOURCE_DIR}/resources/engine.rc ${dir}/engine.rc COPYONLY)
  add_custom_command(
    OUTPUT ${dir}/md5.dll
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${engine}> ${dir}/md5.dll
    DEPENDS ${engine}
    VERBATIM)
  add_custom_target(${target}_engine_image DEPENDS ${dir}/md5.dll)
  add_dependencies(${target} ${target}_engine_image)
  set_source_files_properties(${dir}/engine.rc PROPERTIES OBJECT_DEPENDS ${dir}/md5.dll)
  target_sources(${target} PRIVATE ${dir}/engine.rc)
  target_include_directories(${target} PRIVATE ${dir})
endfunction()
