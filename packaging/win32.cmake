# The Windows packages, both made by the `package` target: the zip (CPack ZIP) and the
# installer Pellwick-VERSION-x64.msi (CPack External, which has wixl build it from the same
# staged files, msi.cmake). Each holds Pellwick.exe with md5.dll beside it, so that a copy in
# Program Files finds its engine without writing it, and the licence and notices.
install(TARGETS Pellwick RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:md5> DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PELLWICK_NOTICES} DESTINATION .)

set(CPACK_GENERATOR ZIP)
find_program(PELLWICK_WIXL wixl DOC "wixl (msitools), which builds the Windows installer")
if(PELLWICK_WIXL)
  list(APPEND CPACK_GENERATOR External)
else()
  message(STATUS "wixl not found: the package target makes the zip only")
endif()
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/msi.cmake)
set(CPACK_PELLWICK_WIXL ${PELLWICK_WIXL})
set(CPACK_PELLWICK_WXS ${CMAKE_CURRENT_SOURCE_DIR}/pellwick.wxs)
set(CPACK_PACKAGE_NAME Pellwick)
set(CPACK_PACKAGE_VENDOR ${PELLWICK_PUBLISHER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Pellwick-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
