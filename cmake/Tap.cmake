# add_tap(<target> OUTPUT <file name> SOURCES <src>... [LIBS <lib>...])
#
# Builds a TAP: an ELF32 shared object that carries its identity sections
# and links its own copy of Kalib.  References are bound inside the TAP
# (-Bsymbolic) so that two TAPs never share library state.
#
# For the box (PVR_TARGET box) a TAP is linked as the box's loader expects
# it: without Debian's C library and start files, against link stubs of the
# box's libc.so.0, libdl.so.0 and libpthread.so.0 (made from the name lists
# in cmake/box, see BoxLibraries.cmake), so that it needs only those sonames
# and carries no symbol versions; what the compiler needs at run time comes
# from the static libgcc.  TAP code is compiled for software floating point,
# so that no FPU instruction can reach the box (whose FPU is not known), and
# the TAP is marked as free of floating point (cmake/box/box_tap.py).
# The firmware's TAP API and internal names stay undefined for the
# firmware's loader.  The test "box_tap_check" checks every such TAP.
#
# On the 32-bit host a TAP is linked with the host's C library, and the
# box's libc calls that pvrsim maps (paths below /mnt/hd, the console, the
# shell, shared memory) are routed to pvrsim through link-time wrapping.
# (The box recipe needs pvrsim to load TAPs with RTLD_DEEPBIND, which
# AddressSanitizer refuses; the host and ASan builds share this recipe.)

include(BoxLibraries)

# libc functions of the box whose view pvrsim provides.
set(PVR_BOX_LIBC_WRAPS open lstat64 utime mkdir rename fopen system
    shmget shmat shmdt shmctl dlsym write close)

# Routes a host program's (or host TAP's) box libc calls to pvrsim.  Test
# programs that link Kalib directly use it on every target.
function(pvr_wrap_box_libc target)
  foreach(fn IN LISTS PVR_BOX_LIBC_WRAPS)
    target_link_options(${target} PRIVATE "LINKER:--wrap=${fn}")
  endforeach()
  if(PVR_TARGET STREQUAL "box")
    # The program links Kalib, which is built for software floating point
    # (no float passes through Kalib's interface in floating-point
    # registers, so the two conventions meet without harm).
    target_link_options(${target} PRIVATE "LINKER:--no-warn-mismatch")
  endif()
endfunction()

# Compile options shared by everything that ends up inside a TAP.
function(pvr_tap_code_options target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-threadsafe-statics>)
  if(PVR_TARGET STREQUAL "box")
    target_compile_options(${target} PRIVATE -msoft-float)
    target_include_directories(${target} SYSTEM PRIVATE ${PVR_BOX_LIST_DIR}/include)
  endif()
endfunction()

# Every TAP target, for the box TAP check.
define_property(GLOBAL PROPERTY PVR_TAPS BRIEF_DOCS "TAP targets" FULL_DOCS "Targets made by add_tap")

function(add_tap target)
  cmake_parse_arguments(TAP "" "OUTPUT" "SOURCES;LIBS" ${ARGN})
  add_library(${target} MODULE ${TAP_SOURCES})
  pvr_tap_code_options(${target})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME "${TAP_OUTPUT}"
    LINKER_LANGUAGE C)
  target_link_libraries(${target} PRIVATE ${TAP_LIBS} kalib)
  target_link_options(${target} PRIVATE "LINKER:-Bsymbolic")
  if(PVR_TARGET STREQUAL "box")
    pvr_link_for_box(${target})
  else()
    pvr_wrap_box_libc(${target})
  endif()
  set_property(GLOBAL APPEND PROPERTY PVR_TAPS ${target})
endfunction()

# The test box_tap_check reads every TAP of a box build (after all of them
# are declared) and fails on anything that the box's loader would refuse:
# another library, symbol versions, a name that neither the firmware nor the
# box's libraries offer, an FPU instruction.  box_tap_check_refuses builds a
# TAP with such faults and expects the check to name them.
function(pvr_add_box_tap_check)
  get_property(taps GLOBAL PROPERTY PVR_TAPS)
  set(files)
  foreach(tap IN LISTS taps)
    list(APPEND files $<TARGET_FILE:${tap}>)
  endforeach()
  set(check ${Python3_EXECUTABLE} ${PVR_BOX_LIST_DIR}/box_tap.py check
      --lists ${PVR_BOX_LIST_DIR} --tap-header ${CMAKE_SOURCE_DIR}/lib/tap.h)
  add_test(NAME box_tap_check COMMAND ${check} ${files})

  add_library(box_check_faulty_tap MODULE ${PVR_BOX_LIST_DIR}/FaultyTap.c)
  set_target_properties(box_check_faulty_tap PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME Faulty.tap)
  pvr_link_for_box(box_check_faulty_tap)
  target_link_libraries(box_check_faulty_tap PRIVATE m)
  target_compile_options(box_check_faulty_tap PRIVATE -mhard-float)
  target_link_options(box_check_faulty_tap PRIVATE "LINKER:--no-warn-mismatch")
  add_test(NAME box_tap_check_refuses COMMAND ${check} $<TARGET_FILE:box_check_faulty_tap>)
  set_tests_properties(box_tap_check_refuses PROPERTIES WILL_FAIL ON)
  add_test(NAME box_tap_check_names_faults COMMAND ${check} $<TARGET_FILE:box_check_faulty_tap>)
  set_tests_properties(box_tap_check_names_faults PROPERTIES PASS_REGULAR_EXPRESSION
    "needs libm.so.6, which.*carries symbol versions.*refers to malloc.*FPU instruction [A-Z1]+ .* in FaultyScale")
endfunction()
if(PVR_TARGET STREQUAL "box")
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pvr_add_box_tap_check)
endif()
