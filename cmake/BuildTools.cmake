# The build tools (font builder, graphic packer, payload embedder) run on the
# build machine, whatever the target is, so they are built natively as a
# separate project.
include(ExternalProject)
set(PVR_BUILDTOOLS_DIR ${CMAKE_BINARY_DIR}/buildtools-native)
# Paths of the tools inside PVR_BUILDTOOLS_DIR.
set(PVR_FONTBUILDER ${PVR_BUILDTOOLS_DIR}/fontbuilder)
set(PVR_GRPACKER ${PVR_BUILDTOOLS_DIR}/grpacker)
set(PVR_EMBED ${PVR_BUILDTOOLS_DIR}/embed)
ExternalProject_Add(buildtools_native
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/buildtools
  BINARY_DIR ${PVR_BUILDTOOLS_DIR}
  CMAKE_ARGS -G Ninja -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
  BUILD_ALWAYS ON
  # Declared so that custom commands may depend on the tools' files.
  BUILD_BYPRODUCTS ${PVR_FONTBUILDER} ${PVR_GRPACKER} ${PVR_EMBED}
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)

# Debian's font packages that the fonts are rendered from.
set(PVR_FONT_DIR /usr/share/fonts/truetype)

# pvr_add_legacy_font(<target>): renders the built-in 8-bit font
# Calibri_VPD_12 (Carlito, 19 px cells, 4 to 14 px wide) into C++ source
# with the font builder and compiles it into <target>.
function(pvr_add_legacy_font target)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/Calibri_VPD_12.cpp)
  set(face ${PVR_FONT_DIR}/crosextra/Carlito-Regular.ttf)
  add_custom_command(OUTPUT ${source}
    COMMAND ${PVR_FONTBUILDER} --format legacy --name Calibri_VPD_12 --face ${face}
            --cell-height 19 --min-width 4 --max-width 14 --output ${source}
    DEPENDS ${PVR_FONTBUILDER} buildtools_native ${face}
    COMMENT "Rendering the legacy font Calibri_VPD_12"
    VERBATIM)
  target_sources(${target} PRIVATE ${source})
endfunction()
