# Picks the platform half of runtime/ (and, for the window, of shell/ and window/).
if(WIN32)
  set(PELLWICK_PLATFORM win32)
  set(PELLWICK_RUNTIME_PLATFORM_SOURCES
    ${CMAKE_SOURCE_DIR}/runtime/files_win32.cpp
    ${CMAKE_SOURCE_DIR}/runtime/library_win32.cpp
    ${CMAKE_SOURCE_DIR}/runtime/resources_win32.cpp
    ${CMAKE_SOURCE_DIR}/runtime/text_win32.cpp
    ${CMAKE_SOURCE_DIR}/runtime/win32.cpp)
  set(PELLWICK_RUNTIME_PLATFORM_LIBS user32)
  # Wide APIs only; Windows 10 headers, with newer calls looked up where they may be missing.
  add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  if(NOT MSVC)
    # One self-contained executable: no MinGW runtime DLLs to ship beside it.
    add_link_options(-static)
  endif()
else()
  set(PELLWICK_PLATFORM posix)
  set(PELLWICK_RUNTIME_PLATFORM_SOURCES
    ${CMAKE_SOURCE_DIR}/runtime/files_posix.cpp
    ${CMAKE_SOURCE_DIR}/runtime/library_posix.cpp
    ${CMAKE_SOURCE_DIR}/runtime/text_posix.cpp)
  set(PELLWICK_RUNTIME_PLATFORM_LIBS ${CMAKE_DL_LIBS})
endif()
