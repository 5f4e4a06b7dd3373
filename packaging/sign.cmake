# Signs FILE in place with an Authenticode SHA-256 signature made by osslsigncode:
#   cmake -DFILE=<file> -DPFX=<PKCS#12> [-DPASS_FILE=<file>] [-DTIMESTAMP_URL=<url>]
#         -DOSSLSIGNCODE=<osslsigncode> -DSOURCE_DIR=<sources> -P sign.cmake
# The password comes from PASS_FILE or else from the environment's PELLWICK_SIGN_PASS, handed
# to osslsigncode through a pipe so that no command line and no file shows it. Without a
# time-stamp server the signing time is SOURCE_DATE_EPOCH: the same file signed with the same
# key is then the same, and so is every package made from it.
include(${CMAKE_CURRENT_LIST_DIR}/source_date.cmake)

set(how -h sha256 -n Pellwick)
if(TIMESTAMP_URL)
  list(APPEND how -ts ${TIMESTAMP_URL})
else()
  pellwick_source_date_epoch(epoch ${SOURCE_DIR})
  list(APPEND how -time ${epoch})
endif()
if(PASS_FILE)
  set(pass ${PASS_FILE})
  set(feed "")
else()
  set(pass /dev/stdin)
  set(feed sh -c "printf '%s' \"$PELLWICK_SIGN_PASS\" | \"$@\"" sh)
endif()

file(REMOVE ${FILE}.signed)
execute_process(
  COMMAND ${feed} ${OSSLSIGNCODE} sign -pkcs12 ${PFX} -readpass ${pass} ${how} -in ${FILE} -out ${FILE}.signed
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  file(REMOVE ${FILE}.signed)
  message(FATAL_ERROR "osslsigncode could not sign ${FILE} with ${PFX} (${status}):\n${output}")
endif()
file(RENAME ${FILE}.signed ${FILE})
