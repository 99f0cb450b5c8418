# Cross-builds 64-bit ARM Linux binaries with Debian's cross compiler against
# Debian's arm64 libraries (multiarch, /usr/lib/aarch64-linux-gnu), and runs
# them under QEMU's user-mode emulator. scripts/build-arm64 installs both.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(TOLVO_CROSS aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${TOLVO_CROSS}-gcc)
set(CMAKE_CXX_COMPILER ${TOLVO_CROSS}-g++)
# The engine is optimised at link time: its archive needs the plug-in aware tools.
set(CMAKE_AR ${TOLVO_CROSS}-gcc-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TOLVO_CROSS}-gcc-ranlib CACHE FILEPATH "")
set(CMAKE_NM ${TOLVO_CROSS}-gcc-nm CACHE FILEPATH "")
set(CMAKE_STRIP ${TOLVO_CROSS}-strip CACHE FILEPATH "")
set(CMAKE_LIBRARY_ARCHITECTURE ${TOLVO_CROSS})

# GCC fuses a multiply and an add into one rounding wherever the target has
# the instruction, as every 64-bit ARM has; the x86-64 baseline has not. Off,
# so that arm64 computes what x86-64 does: parameter values snapped to their
# steps (the framework's float arithmetic) and saved states come out the same,
# and the engine's vector code fuses only where it asks to, on both.
set(CMAKE_C_FLAGS_INIT "-ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off")

# Libraries and headers of the target only; programs (lv2info, xvfb-run) are
# the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVO_CROSS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# pkg-config reads the arm64 descriptions and the architecture-free ones, never
# the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/${TOLVO_CROSS}/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# CTest (and the test discovery at build time) runs the arm64 programs under
# QEMU; the arm64 loader and libraries are where multiarch put them.
find_program(TOLVO_QEMU_AARCH64 qemu-aarch64-static qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${TOLVO_QEMU_AARCH64}")

# The framework's CMake package and its helper juceaide are the build
# machine's (Debian's juce-modules-source); its code is compiled for arm64.
if(NOT JUCE_DIR)
    file(GLOB _tolvo_juce_dirs /usr/lib/x86_64-linux-gnu/cmake/JUCE-* /usr/lib/*/cmake/JUCE-*)
    if(_tolvo_juce_dirs)
        list(GET _tolvo_juce_dirs 0 _tolvo_juce_dir)
        set(JUCE_DIR "${_tolvo_juce_dir}" CACHE PATH "The framework's CMake package" FORCE)
    endif()
endif()
