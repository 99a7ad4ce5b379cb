# add_tap(<target> OUTPUT <file name> SOURCES <src>... [LIBS <lib>...])
#
# Builds a TAP: an ELF32 shared object that carries its identity sections
# and links its own copy of Kalib.  On the host, references are bound inside
# the TAP (-Bsymbolic) so that two TAPs never share library state, and the
# box's libc calls that pvrsim maps (paths below /mnt/hd, the console, the
# shell, shared memory) are routed to pvrsim through link-time wrapping.
# On the box everything from the firmware and libc stays undefined for the
# firmware's loader.

# libc functions of the box whose view pvrsim provides.
set(PVR_BOX_LIBC_WRAPS open lstat64 utime mkdir rename fopen system
    shmget shmat shmdt shmctl dlsym write close)

function(pvr_wrap_box_libc target)
  if(PVR_TARGET STREQUAL "host")
    foreach(fn IN LISTS PVR_BOX_LIBC_WRAPS)
      target_link_options(${target} PRIVATE "LINKER:--wrap=${fn}")
    endforeach()
  endif()
endfunction()

# Compile options shared by everything that ends up inside a TAP.
function(pvr_tap_code_options target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-threadsafe-statics>)
endfunction()

function(add_tap target)
  cmake_parse_arguments(TAP "" "OUTPUT" "SOURCES;LIBS" ${ARGN})
  add_library(${target} MODULE ${TAP_SOURCES})
  pvr_tap_code_options(${target})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME "${TAP_OUTPUT}"
    LINKER_LANGUAGE C)
  target_link_libraries(${target} PRIVATE ${TAP_LIBS} kalib)
  target_link_options(${target} PRIVATE "LINKER:-Bsymbolic")
  pvr_wrap_box_libc(${target})
endfunction()
