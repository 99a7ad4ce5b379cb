# Cross build for the box: MIPS32 little-endian Linux.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mipsel)
set(CMAKE_C_COMPILER mipsel-linux-gnu-gcc-12)
set(CMAKE_CXX_COMPILER mipsel-linux-gnu-g++-12)
set(CMAKE_ASM_COMPILER mipsel-linux-gnu-gcc-12)
set(CMAKE_C_FLAGS_INIT "-march=mips32 -EL")
set(CMAKE_CXX_FLAGS_INIT "-march=mips32 -EL")
# Assembler sources are the payloads that TAPs embed: marked for software
# floating point like all TAP code (see Tap.cmake).
set(CMAKE_ASM_FLAGS_INIT "-march=mips32 -EL -msoft-float")
set(PVR_TARGET box CACHE STRING "")

# Debian's mipsel loader, C++ runtime, libpng and zlib, unpacked by
# scripts/fetch_mipsel_sysroot.sh (run by scripts/setup.sh).  pvrsim and the
# test programs link libpng from it, and qemu-mipsel runs them with it as the
# root of their loader and libraries: ctest and the test discovery start
# every program through CMAKE_CROSSCOMPILING_EMULATOR.
get_filename_component(PVR_MIPSEL_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/../build/downloads/mipsel-sysroot ABSOLUTE)
set(CMAKE_LIBRARY_ARCHITECTURE mipsel-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /usr/mipsel-linux-gnu ${PVR_MIPSEL_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# libpng16.so.16 needs libz.so.1 from the same folder.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${PVR_MIPSEL_SYSROOT}/usr/lib/mipsel-linux-gnu")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,-rpath-link,${PVR_MIPSEL_SYSROOT}/usr/lib/mipsel-linux-gnu")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mipsel -L ${PVR_MIPSEL_SYSROOT})
