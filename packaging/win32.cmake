# The Windows zip (cpack -G ZIP): Pellwick.exe with md5.dll beside it, so that a copy unpacked
# where the user cannot write (Program Files) finds its engine without writing it, and the
# licence and notices.
install(TARGETS Pellwick RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:md5> DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PELLWICK_NOTICES} DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Pellwick)
set(CPACK_PACKAGE_VENDOR ${PELLWICK_PUBLISHER})
set(CPACK_PACKAGE_FILE_NAME "Pellwick-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
