# Installing the Linux program, and its Debian package (cpack -G DEB).
# The engine goes beside the program, so an installation the user cannot write still digests.
include(GNUInstallDirs)
set(PELLWICK_LIBEXEC ${CMAKE_INSTALL_LIBDIR}/pellwick)
set(PELLWICK_ENGINE /usr/${PELLWICK_LIBEXEC}/md5.so)  # as the package installs it
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

# Debian's copyright file covers Pellwick and the libmd code in its engine (notices.cmake).
list(APPEND notices_outputs ${CMAKE_CURRENT_BINARY_DIR}/copyright)
list(APPEND notices_args -DDEBIAN=${CMAKE_CURRENT_BINARY_DIR}/copyright -DDEBIAN_HEAD=${CMAKE_CURRENT_SOURCE_DIR}/copyright.in
     -DPELLWICK_PUBLISHER=${PELLWICK_PUBLISHER} -DPELLWICK_CONTACT=${PELLWICK_CONTACT}
     -DPROJECT_HOMEPAGE_URL=${PROJECT_HOMEPAGE_URL} -DPELLWICK_ENGINE=${PELLWICK_ENGINE})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pellwick)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PELLWICK_PUBLISHER} <${PELLWICK_CONTACT}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
