# Writes setup.inf: the installed files of the distribution with their sizes.
#   cmake -DDIST=dir -DFILES=name,name,... -P make_setup_inf.cmake
string(REPLACE "," ";" names "${FILES}")
set(text "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n; file name, size in bytes\r\n")
foreach(name IN LISTS names)
  if(NOT EXISTS "${DIST}/${name}")
    message(FATAL_ERROR "setup.inf: ${DIST}/${name} is missing")
  endif()
  file(SIZE "${DIST}/${name}" size)
  string(APPEND text "${name}, ${size}\r\n")
endforeach()
file(WRITE "${DIST}/setup.inf.tmp" "${text}")
file(RENAME "${DIST}/setup.inf.tmp" "${DIST}/setup.inf")
