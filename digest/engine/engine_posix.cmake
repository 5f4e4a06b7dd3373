# md5.so: Debian's static libmd behind a version script that exports the three functions.
find_library(LIBMD_STATIC NAMES libmd.a REQUIRED)
find_path(LIBMD_INCLUDE md5.h REQUIRED)
find_file(PELLWICK_LIBMD_COPYRIGHT copyright PATHS /usr/share/doc/libmd-dev /usr/share/doc/libmd0 NO_DEFAULT_PATH
          REQUIRED DOC "The copyright and licence of that libmd, which the packages carry")

add_library(md5 SHARED context_check.c)
target_include_directories(md5 PRIVATE ${LIBMD_INCLUDE})
set_target_properties(md5 PROPERTIES
  PREFIX "" SUFFIX ".so" OUTPUT_NAME md5
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/engine
  LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/md5.map
  PELLWICK_LIBMD_COPYRIGHT ${PELLWICK_LIBMD_COPYRIGHT})
# Sanitizer runtimes would become dependencies of the image; the engine is libmd's code.
target_compile_options(md5 PRIVATE -fno-sanitize=all)
# Stripped as it is built: the image the program carries is the very file a package installs,
# so an installed engine always matches and is never rewritten.
target_link_options(md5 PRIVATE -fno-sanitize=all -s
  -Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/md5.map -Wl,-z,defs
  -Wl,-u,MD5Init -Wl,-u,MD5Update -Wl,-u,MD5Final)
target_link_libraries(md5 PRIVATE ${LIBMD_STATIC})

# On Linux the resource is a table of the image's bytes, compiled into the executable;
# runtime/resources_posix.cpp reads it.
function(pellwick_carry_engine target engine)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  set(script ${PROJECT_SOURCE_DIR}/digest/engine/embed_engine.cmake)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=$<TARGET_FILE:${engine}> -DOUTPUT=${out} -P ${script}
    DEPENDS ${engine} ${script}
    COMMENT "Embedding the engine image in ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
