# pellwick_add_win32_resources(<target>): gives the executable its version block, icons,
# manifest and engine image (resources/pellwick.rc).
set(_res_out ${CMAKE_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${_res_out})

# "1.00.0001": major, minor in two digits, revision in four.
set(_minor "0${PROJECT_VERSION_MINOR}")
string(LENGTH "${_minor}" _n)
math(EXPR _n "${_n} - 2")
string(SUBSTRING "${_minor}" ${_n} 2 _minor)
set(_rev "000${PROJECT_VERSION_TWEAK}")
string(LENGTH "${_rev}" _n)
math(EXPR _n "${_n} - 4")
string(SUBSTRING "${_rev}" ${_n} 4 _rev)
set(PELLWICK_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${_minor}.${_rev}")
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${_res_out}/version.h @ONLY)

# The icon images are drawn by a small program on the build machine.
set(_icons ${_res_out}/icon-32x32-2.dib ${_res_out}/icon-32x32-16.dib ${_res_out}/icon-16x16-16.dib
           ${_res_out}/icon-group.bin)
if(CMAKE_CROSSCOMPILING)
  find_program(PELLWICK_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  add_custom_command(
    OUTPUT ${_icons}
    COMMAND ${PELLWICK_HOST_CXX} -std=c++17 -O1 -o ${_res_out}/make_icons ${CMAKE_SOURCE_DIR}/resources/make_icons.cpp
    COMMAND ${_res_out}/make_icons ${_res_out}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_icons.cpp
    COMMENT "Drawing the icons"
    VERBATIM)
else()
  add_executable(make_icons ${CMAKE_SOURCE_DIR}/resources/make_icons.cpp)
  add_custom_command(
    OUTPUT ${_icons}
    COMMAND make_icons ${_res_out}
    DEPENDS make_icons
    COMMENT "Drawing the icons"
    VERBATIM)
endif()
add_custom_target(pellwick_icons DEPENDS ${_icons})

function(pellwick_add_win32_resources target)
  set(rc ${CMAKE_SOURCE_DIR}/resources/pellwick.rc)
  target_sources(${target} PRIVATE ${rc})
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/resources ${CMAKE_SOURCE_DIR}/resources
                                               $<TARGET_FILE_DIR:md5>)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS
    "${_icons};${CMAKE_SOURCE_DIR}/resources/pellwick.manifest;${CMAKE_SOURCE_DIR}/resources/engine.rc;${CMAKE_BINARY_DIR}/engine/md5.dll")
  add_dependencies(${target} pellwick_icons md5)
endfunction()
