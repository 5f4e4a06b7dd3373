# Authenticode signing of the Windows program, its engine and its installer, when a certificate
# is given in the environment as the build is configured (each configuration asks it anew, so
# a certificate given once never signs a later build unasked; -D gives a lasting one).
# PELLWICK_SIGN_PFX names the PKCS#12 file, PELLWICK_SIGN_PASS_FILE a file holding its
# password; PELLWICK_SIGN_PASS, the password itself, is read from the environment each time
# something is signed and stored nowhere. PELLWICK_SIGN_TIMESTAMP_URL names a time-stamp server.
# Without a certificate nothing is signed.
set(PELLWICK_SIGN_PFX "" CACHE STRING "PKCS#12 file whose certificate signs the Windows images and installer")
set(PELLWICK_SIGN_PASS_FILE "" CACHE STRING "File holding that file's password (or PELLWICK_SIGN_PASS when signing)")
set(PELLWICK_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures (none: no time stamp)")
foreach(name PELLWICK_SIGN_PFX PELLWICK_SIGN_PASS_FILE PELLWICK_SIGN_TIMESTAMP_URL)
  if(DEFINED ENV{${name}})
    set(${name} "$ENV{${name}}")
  endif()
endforeach()

if(WIN32 AND PELLWICK_SIGN_PFX)
  foreach(name PELLWICK_SIGN_PFX PELLWICK_SIGN_PASS_FILE)
    if(${name})
      get_filename_component(${name} "${${name}}" ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
      if(NOT EXISTS "${${name}}")
        message(FATAL_ERROR "${name}: no file ${${name}}")
      endif()
    endif()
  endforeach()
  find_program(PELLWICK_OSSLSIGNCODE osslsigncode REQUIRED DOC "osslsigncode, which makes Authenticode signatures")
  message(STATUS "Signing the Windows images and installer with ${PELLWICK_SIGN_PFX}")
endif()

# pellwick_sign_after_link(<target>): signs the target's file as it is linked, so that everything
# made from it (the image Pellwick.exe carries, the packages) has the signed file.
function(pellwick_sign_after_link target)
  if(NOT (WIN32 AND PELLWICK_SIGN_PFX))
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DPFX=${PELLWICK_SIGN_PFX}
            -DPASS_FILE=${PELLWICK_SIGN_PASS_FILE} -DTIMESTAMP_URL=${PELLWICK_SIGN_TIMESTAMP_URL}
            -DOSSLSIGNCODE=${PELLWICK_OSSLSIGNCODE} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -P ${PROJECT_SOURCE_DIR}/packaging/sign.cmake
    COMMENT "Signing $<TARGET_FILE_NAME:${target}>" VERBATIM)
  # Another certificate signs it anew.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PELLWICK_SIGN_PFX})
endfunction()
