# Installing the Linux program, and its Debian package (cpack -G DEB).
# The engine goes beside the program, so an installation the user cannot write still digests.
include(GNUInstallDirs)
set(PELLWICK_LIBEXEC ${CMAKE_INSTALL_LIBDIR}/pellwick)
install(TARGETS pellwick RUNTIME DESTINATION ${PELLWICK_LIBEXEC})
install(FILES $<TARGET_FILE:md5> DESTINATION ${PELLWICK_LIBEXEC})
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ../${PELLWICK_LIBEXEC}/pellwick
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/pellwick\" SYMBOLIC)")
install(FILES ${PROJECT_SOURCE_DIR}/resources/pellwick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS PELLWICK_ICON_SIZES)
  install(FILES ${PELLWICK_ICON_DIR}/pellwick-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME pellwick.png)
endforeach()
install(FILES ${PELLWICK_ICON_DIR}/pellwick.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pellwick developers <dev@pellwick.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
