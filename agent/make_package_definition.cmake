# Writes the SMS package definition from its template, with the disk space
# the files that setup.inf lists take, and Windows line ends.
#   cmake -DINF=setup.inf -DIN=template -DOUT=target -DFACTS=product.cmake -P make_package_definition.cmake
include("${FACTS}")
file(STRINGS "${INF}" lines)
set(bytes 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^[^;[][^,]*, ([0-9]+)")
    math(EXPR bytes "${bytes} + ${CMAKE_MATCH_1}")
  endif()
endforeach()
math(EXPR kilobytes "(${bytes} + 1023) / 1024")
set(PRODUCT_DISK_SPACE "${kilobytes}KB")
configure_file("${IN}" "${OUT}.tmp" @ONLY)
file(READ "${OUT}.tmp" text)
string(REPLACE "\r" "" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
file(REMOVE "${OUT}.tmp")
