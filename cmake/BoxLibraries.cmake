# The box's system libraries as TAPs are linked against them.
#
# The box offers libc.so.0, libdl.so.0 and libpthread.so.0; cmake/box/ lists
# the functions of each that TAPs may use (<soname>.txt, names only).  For a
# box build the lists become link stubs: shared objects with those sonames
# that define every listed name as an empty function, without symbol
# versions.  A TAP linked against them needs the box's sonames and nothing
# of Debian's C library.  The stubs are only linked against, never run.

set(PVR_BOX_LIBRARIES libc.so.0 libdl.so.0 libpthread.so.0)
set(PVR_BOX_LIST_DIR ${CMAKE_CURRENT_LIST_DIR}/box)
set(PVR_BOX_STUB_DIR ${CMAKE_BINARY_DIR}/box-stubs)
if(PVR_TARGET STREQUAL "box")
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
endif()

# pvr_box_library_names(<soname> <variable>): the names of one list.
function(pvr_box_library_names soname variable)
  set(list_file ${PVR_BOX_LIST_DIR}/${soname}.txt)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  file(STRINGS ${list_file} lines)
  set(names)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      message(FATAL_ERROR "${list_file}: \"${line}\" is not a symbol name")
    endif()
    list(APPEND names ${line})
  endforeach()
  set(${variable} ${names} PARENT_SCOPE)
endfunction()

# Makes the stubs in PVR_BOX_STUB_DIR (with libc.so, libdl.so ... links, so
# that -lc, -ldl and -lpthread find the box's libraries) and the target
# box_link_stubs.
function(pvr_make_box_link_stubs)
  separate_arguments(flags UNIX_COMMAND "${CMAKE_C_FLAGS}")
  set(outputs)
  foreach(soname IN LISTS PVR_BOX_LIBRARIES)
    pvr_box_library_names(${soname} names)
    set(source_text "/* Link stub of the box's ${soname}, made from cmake/box/${soname}.txt. */\n")
    foreach(name IN LISTS names)
      string(APPEND source_text "void ${name}(void) {}\n")
    endforeach()
    set(source ${PVR_BOX_STUB_DIR}/src/${soname}.c)
    file(CONFIGURE OUTPUT ${source} CONTENT "${source_text}")
    string(REGEX REPLACE "\\.so\\.0$" ".so" link_name ${soname})
    add_custom_command(OUTPUT ${PVR_BOX_STUB_DIR}/${soname} ${PVR_BOX_STUB_DIR}/${link_name}
      COMMAND ${CMAKE_C_COMPILER} ${flags} -msoft-float -fPIC -shared -nostdlib -fno-builtin
              -Wl,-soname,${soname} -o ${PVR_BOX_STUB_DIR}/${soname} ${source}
      COMMAND ${CMAKE_COMMAND} -E create_symlink ${soname} ${PVR_BOX_STUB_DIR}/${link_name}
      DEPENDS ${source}
      COMMENT "Making the box's link stub ${soname}"
      VERBATIM)
    list(APPEND outputs ${PVR_BOX_STUB_DIR}/${soname})
  endforeach()
  add_custom_target(box_link_stubs DEPENDS ${outputs})
endfunction()

# pvr_link_for_box(<TAP target>): links the TAP against the stubs only.
function(pvr_link_for_box target)
  if(NOT TARGET box_link_stubs)
    pvr_make_box_link_stubs()
  endif()
  add_dependencies(${target} box_link_stubs)
  target_link_directories(${target} PRIVATE ${PVR_BOX_STUB_DIR})
  # -nostdlib: no start files, no libstdc++, libgcc_s or Debian's libc; only
  # the libraries a TAP really calls are recorded as needed.
  # libgcc's objects are marked for hardware floating point even where they
  # hold integer code only (64-bit division): the TAP check's scan for FPU
  # instructions decides instead of the linker's marks.
  target_link_options(${target} PRIVATE -nostdlib "LINKER:--as-needed" "LINKER:--no-warn-mismatch")
  target_link_libraries(${target} PRIVATE c dl pthread gcc)
  set_target_properties(${target} PROPERTIES SKIP_BUILD_RPATH ON INSTALL_RPATH "")
  # The code is free of floating point (box_tap_check scans it), and no float
  # crosses a TAP's interface: marked FP ABI "any" instead of "soft float",
  # so that a loader of hard-float programs (pvrsim's on MIPS) takes it too.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${PVR_BOX_LIST_DIR}/box_tap.py mark-fp-any $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
