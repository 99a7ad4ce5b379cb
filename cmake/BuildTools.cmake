# The build tools (font builder, graphic packer, payload embedder) run on the
# build machine, whatever the target is, so they are built natively as a
# separate project.
include(ExternalProject)
set(PVR_BUILDTOOLS_DIR ${CMAKE_BINARY_DIR}/buildtools-native)
ExternalProject_Add(buildtools_native
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/buildtools
  BINARY_DIR ${PVR_BUILDTOOLS_DIR}
  CMAKE_ARGS -G Ninja -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
# Paths of the tools inside PVR_BUILDTOOLS_DIR.
set(PVR_FONTBUILDER ${PVR_BUILDTOOLS_DIR}/fontbuilder)
set(PVR_GRPACKER ${PVR_BUILDTOOLS_DIR}/grpacker)
set(PVR_EMBED ${PVR_BUILDTOOLS_DIR}/embed)
