# The product's facts, in one place: the version information of every
# binary, the program's texts of the status MIF and of Programs and
# Features, and the SMS package definition all take them from here.
set(PRODUCT_NAME "Zezerero Ruvez ari Ziruvidor EVO Dozoro 6.0")
set(PRODUCT_VERSION "2.0")
set(PRODUCT_BUILD "061")
set(PRODUCT_PUBLISHER "Tamarack Software Inc.")
set(PRODUCT_COPYRIGHT "Copyright (C) 2026 Tamarack Software Inc. All rights reserved.")
# Where administrators find help and whom they contact, shown in Programs
# and Features. The support address is given when the release is built
# (-DPRODUCT_HELP_LINK=https://...); without one the entry's help is the
# release notes installed with the agent.
if(NOT DEFINED PRODUCT_HELP_LINK)
  set(PRODUCT_HELP_LINK "")
endif()
if(NOT DEFINED PRODUCT_CONTACT)
  set(PRODUCT_CONTACT "${PRODUCT_PUBLISHER} technical support")
endif()
# The status MIF in the Windows directory: this name and ".MIF".
set(PRODUCT_MIF_NAME "DORURE60")
# Its entry in Programs and Features, below ...\CurrentVersion\Uninstall.
set(PRODUCT_UNINSTALL_KEY "Dorure60Agent")
# FILEVERSION and PRODUCTVERSION: major, minor, build, 0.
set(PRODUCT_VERSION_NUMBERS "2,0,61,0")
string(REPLACE "," "." PRODUCT_VERSION_DOTTED "${PRODUCT_VERSION_NUMBERS}")

if(CMAKE_SCRIPT_MODE_FILE)
  return()
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/product.h.in ${CMAKE_BINARY_DIR}/generated/product.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

# Version information for one binary of the distribution.
function(add_version_info target file_name description)
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "EXECUTABLE")
    set(VERSION_FILE_TYPE VFT_APP)
  else()
    set(VERSION_FILE_TYPE VFT_DLL)
  endif()
  set(VERSION_FILE_NAME ${file_name})
  set(VERSION_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
