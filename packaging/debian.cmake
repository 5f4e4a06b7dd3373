# The Linux installation (cmake --install) and its Debian package (cpack -G DEB). The program
# and its engine live together in libexec/pellwick, so that an installation the user cannot
# write still digests, and out of the linker's library path, so that no ldconfig runs for it.
include(GNUInstallDirs)
set(PELLWICK_LIBEXEC ${CMAKE_INSTALL_LIBEXECDIR}/pellwick)
set(PELLWICK_ENGINE /usr/${PELLWICK_LIBEXEC}/md5.so)  # as the package installs it
set(docs ${CMAKE_INSTALL_DATADIR}/doc/pellwick)
set(out ${CMAKE_CURRENT_BINARY_DIR})

install(TARGETS pellwick RUNTIME DESTINATION ${PELLWICK_LIBEXEC})
install(FILES $<TARGET_FILE:md5> DESTINATION ${PELLWICK_LIBEXEC})
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ../${PELLWICK_LIBEXEC}/pellwick
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/pellwick\" SYMBOLIC)")

# Desktop integration: the launcher, Dolphin's menu entry, the checksum files' types, the software
# centre's metadata, the icon at every size.
configure_file(${PROJECT_SOURCE_DIR}/resources/io.github.pellwick.Pellwick.metainfo.xml.in
               ${out}/io.github.pellwick.Pellwick.metainfo.xml @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/resources/pellwick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/pellwick-check.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
install(FILES ${PROJECT_SOURCE_DIR}/resources/pellwick-checksums.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${out}/io.github.pellwick.Pellwick.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN LISTS PELLWICK_ICON_SIZES)
  install(FILES ${PELLWICK_ICON_DIR}/pellwick-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME pellwick.png)
endforeach()
install(FILES ${PELLWICK_ICON_DIR}/pellwick.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page and the top entry of Debian's changelog carry the release's version and
# date. Debian wants both compressed, without a timestamp, so that every build is the same.
execute_process(COMMAND date -u -R -d ${PELLWICK_RELEASE_DATE} OUTPUT_VARIABLE PELLWICK_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(pellwick.1.in ${out}/pellwick.1 @ONLY)
configure_file(changelog.in ${out}/changelog @ONLY)
find_program(GZIP gzip REQUIRED)
foreach(file pellwick.1 changelog)
  add_custom_command(OUTPUT ${out}/${file}.gz
    COMMAND ${GZIP} -9nkf ${out}/${file}
    DEPENDS ${out}/${file} VERBATIM)
  list(APPEND compressed ${out}/${file}.gz)
endforeach()
add_custom_target(pellwick_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${out}/pellwick.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${out}/changelog.gz DESTINATION ${docs})

# Debian's copyright file covers Pellwick and the libmd code in its engine (notices.cmake).
list(APPEND notices_outputs ${out}/copyright)
list(APPEND notices_args -DDEBIAN=${out}/copyright -DDEBIAN_HEAD=${CMAKE_CURRENT_SOURCE_DIR}/copyright.in
     -DPELLWICK_PUBLISHER=${PELLWICK_PUBLISHER} -DPELLWICK_CONTACT=${PELLWICK_CONTACT}
     -DPROJECT_HOMEPAGE_URL=${PROJECT_HOMEPAGE_URL} -DPELLWICK_ENGINE=${PELLWICK_ENGINE})
install(FILES ${out}/copyright DESTINATION ${docs})

# The package (package.cmake, deb.cmake) holds the installation as CPack stages it under /usr.
set(CPACK_PELLWICK_PLATFORM debian)
set(CPACK_PACKAGE_NAME pellwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PELLWICK_PUBLISHER} <${PELLWICK_CONTACT}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "${PELLWICK_LONG_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
