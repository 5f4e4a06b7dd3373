# The Windows packages, both made by the `package` target from the same staged files
# (package.cmake): the zip and the installer Pellwick-VERSION-x64.msi, which wixl builds
# (msi.cmake). Each holds Pellwick.exe with md5.dll beside it, so that a copy in Program Files
# finds its engine without writing it, GnuPG's gpgv.exe, which checks signatures, and the
# licence and notices. The release folder also gets the Debian source packages that gpgv.exe
# is built from, as GnuPG's licence asks of whoever ships it.
install(TARGETS Pellwick RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:md5> DESTINATION .)
if(TARGET gpgv)
  get_target_property(gpgv_exe gpgv PELLWICK_GPGV_EXE)
  install(PROGRAMS ${gpgv_exe} DESTINATION .)
  get_target_property(CPACK_PELLWICK_GPGV_SOURCES gpgv PELLWICK_GPGV_RELEASE_SOURCES)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PELLWICK_NOTICES} DESTINATION .)

set(CPACK_PELLWICK_PLATFORM windows)
find_program(PELLWICK_ZIP zip DOC "zip, which makes the Windows zip")
set(CPACK_PELLWICK_ZIP ${PELLWICK_ZIP})
find_program(PELLWICK_WIXL wixl DOC "wixl (msitools), which builds the Windows installer")
if(PELLWICK_WIXL)
  # msibuild fixes the package code that wixl draws at random, faketime the dates it writes.
  find_program(PELLWICK_MSIBUILD msibuild REQUIRED DOC "msibuild (msitools)")
  find_program(PELLWICK_FAKETIME faketime REQUIRED DOC "faketime, which stops the clock for wixl")
  set(CPACK_PELLWICK_WIXL ${PELLWICK_WIXL})
  set(CPACK_PELLWICK_MSIBUILD ${PELLWICK_MSIBUILD})
  set(CPACK_PELLWICK_FAKETIME ${PELLWICK_FAKETIME})
  set(CPACK_PELLWICK_WXS ${CMAKE_CURRENT_SOURCE_DIR}/pellwick.wxs)
else()
  message(STATUS "wixl not found: the package target makes the zip only")
endif()
foreach(name PFX PASS_FILE TIMESTAMP_URL)
  set(CPACK_PELLWICK_SIGN_${name} ${PELLWICK_SIGN_${name}})
endforeach()
set(CPACK_PELLWICK_OSSLSIGNCODE ${PELLWICK_OSSLSIGNCODE})
set(CPACK_PACKAGE_NAME Pellwick)
set(CPACK_PACKAGE_VENDOR ${PELLWICK_PUBLISHER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Pellwick-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
