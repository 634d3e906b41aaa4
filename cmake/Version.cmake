# The product's identity: the installed product's version comes from
# project(VERSION) in the top-level CMakeLists.txt; the programs' own versions
# (shown in their About boxes) are set here. Everything that shows a version
# reads the generated header <build>/generated/version.h: the programs, their
# version resources (windres includes it) and the installer.
set(KORVANE_MAKER "Korvane")
set(KORVANE_PRODUCT_NAME "Korvane X-Tamber")
set(KORVANE_COPYRIGHT_YEAR 2026)
set(KORVANE_MIXER_VERSION 1.0)
set(KORVANE_PANEL_VERSION 2.11.0)

foreach(program MIXER PANEL)
  string(REPLACE "." ";" parts "${KORVANE_${program}_VERSION}.0.0")
  list(GET parts 0 KORVANE_${program}_VERSION_MAJOR)
  list(GET parts 1 KORVANE_${program}_VERSION_MINOR)
  list(GET parts 2 KORVANE_${program}_VERSION_PATCH)
endforeach()

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
