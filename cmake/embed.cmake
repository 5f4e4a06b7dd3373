# pellwick_carry_engine(<target> <engine-target>): the executable <target> carries the
# library built by <engine-target> as its resource "DLL" 101. On Linux the resource is a
# table compiled into the executable; on Windows it is a PE resource from the .rc file.
function(pellwick_carry_engine target engine)
  if(WIN32)
    # A PE resource; only the engine named md5.dll is built for Windows.
    set(rc ${CMAKE_SOURCE_DIR}/resources/engine.rc)
    target_sources(${target} PRIVATE ${rc})
    target_include_directories(${target} PRIVATE $<TARGET_FILE_DIR:${engine}>)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/engine/md5.dll)
    add_dependencies(${target} ${engine})
    return()
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=$<TARGET_FILE:${engine}> -DOUTPUT=${out}
            -P ${CMAKE_SOURCE_DIR}/cmake/embed_resource.cmake
    DEPENDS ${engine} ${CMAKE_SOURCE_DIR}/cmake/embed_resource.cmake
    COMMENT "Embedding the engine image in ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out} ${CMAKE_SOURCE_DIR}/runtime/resources_embedded.cpp)
endfunction()
