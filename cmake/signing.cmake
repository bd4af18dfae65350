# Authenticode signatures on every binary of the distribution, when the build
# is given a certificate: SETUP_SIGN_PKCS12 names a PKCS#12 file (a CMake
# option, or the environment variable of that name when configuring). Its
# password comes from the file SETUP_SIGN_PASSWORD_FILE, or from the
# environment variable SETUP_SIGN_PASSWORD while building, so it never lands
# in the cache. SETUP_SIGN_TIMESTAMP_URL names an RFC 3161 time-stamp server.
# Without a certificate the binaries stay unsigned.
set(SETUP_SIGN_PKCS12 "$ENV{SETUP_SIGN_PKCS12}" CACHE FILEPATH
  "PKCS#12 file with the code-signing certificate; empty: unsigned binaries")
set(SETUP_SIGN_PASSWORD_FILE "$ENV{SETUP_SIGN_PASSWORD_FILE}" CACHE FILEPATH
  "File holding the PKCS#12 file's password (else the environment's SETUP_SIGN_PASSWORD)")
set(SETUP_SIGN_TIMESTAMP_URL "$ENV{SETUP_SIGN_TIMESTAMP_URL}" CACHE STRING "RFC 3161 time-stamp server")

if(SETUP_SIGN_PKCS12)
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  message(STATUS "Signing the distribution's binaries with ${SETUP_SIGN_PKCS12}")
endif()

# Signs one binary of the distribution right after it is linked, before
# setup.inf records its size.
function(sign_dist_binary target)
  if(NOT SETUP_SIGN_PKCS12)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env SETUP_SIGN_PKCS12=${SETUP_SIGN_PKCS12}
      SETUP_SIGN_PASSWORD_FILE=${SETUP_SIGN_PASSWORD_FILE} SETUP_SIGN_TIMESTAMP_URL=${SETUP_SIGN_TIMESTAMP_URL}
      "SETUP_SIGN_DESCRIPTION=${PRODUCT_NAME}" ${CMAKE_SOURCE_DIR}/tools/sign.sh $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
