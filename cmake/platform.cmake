# Picks the platform half of runtime/ (and, for the window, of shell/ and window/).
if(WIN32)
  set(PELLWICK_PLATFORM win32)
  set(PELLWICK_RUNTIME_PLATFORM_SOURCES
    ${CMAKE_SOURCE_DIR}/runtime/files_win32.cpp
    ${CMAKE_SOURCE_DIR}/runtime/library_win32.cpp
    ${CMAKE_SOURCE_DIR}/runtime/resources_win32.cpp
    ${CMAKE_SOURCE_DIR}/runtime/text_win32.cpp)
  set(PELLWICK_RUNTIME_PLATFORM_LIBS)
else()
  set(PELLWICK_PLATFORM posix)
  set(PELLWICK_RUNTIME_PLATFORM_SOURCES
    ${CMAKE_SOURCE_DIR}/runtime/files_posix.cpp
    ${CMAKE_SOURCE_DIR}/runtime/library_posix.cpp
    ${CMAKE_SOURCE_DIR}/runtime/text_posix.cpp)
  set(PELLWICK_RUNTIME_PLATFORM_LIBS ${CMAKE_DL_LIBS})
endif()
