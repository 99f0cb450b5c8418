# Cross-builds 64-bit Windows binaries with Debian's MinGW-w64 (the POSIX-thread
# variant: the framework and we use std::thread) and runs them under Wine.
#
# TOLVO_WINDOWS_DEPS is the prefix that scripts/build-windows fills with libpng,
# libjpeg and zlib built for Windows from Debian's source packages.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLVO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLVO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVO_MINGW}-windres)
set(CMAKE_AR ${TOLVO_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TOLVO_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT TOLVO_WINDOWS_DEPS AND DEFINED ENV{TOLVO_WINDOWS_DEPS})
    set(TOLVO_WINDOWS_DEPS "$ENV{TOLVO_WINDOWS_DEPS}")
endif()
set(TOLVO_WINDOWS_DEPS "${TOLVO_WINDOWS_DEPS}" CACHE PATH "Prefix of the Windows builds of libpng, libjpeg and zlib")

set(CMAKE_FIND_ROOT_PATH /usr/${TOLVO_MINGW} ${TOLVO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# pkg-config sees the Windows prefix only, never the machine's own libraries.
if(TOLVO_WINDOWS_DEPS)
    set(ENV{PKG_CONFIG_LIBDIR} "${TOLVO_WINDOWS_DEPS}/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
endif()

# The binaries must load on a bare Windows: the compiler's own runtime
# (libgcc, libstdc++, winpthread) goes inside them. Debian's framework package
# links its core module to a bare "z"; the prefix's lib folder answers that.
set(_tolvo_link_flags "-static")
if(TOLVO_WINDOWS_DEPS)
    string(APPEND _tolvo_link_flags " -L${TOLVO_WINDOWS_DEPS}/lib")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_tolvo_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_tolvo_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_tolvo_link_flags}")
# Release binaries carry no symbol tables (they are most of their size).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_MODULE_LINKER_FLAGS_RELEASE_INIT "-s")

# CTest runs the Windows programs through Wine, in a prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")

# The framework's CMake package is the build machine's (Debian's
# juce-modules-source); its code is compiled for Windows like ours.
if(NOT JUCE_DIR)
    file(GLOB _tolvo_juce_dirs /usr/lib/*/cmake/JUCE-*)
    if(_tolvo_juce_dirs)
        list(GET _tolvo_juce_dirs 0 _tolvo_juce_dir)
        set(JUCE_DIR "${_tolvo_juce_dir}" CACHE PATH "The framework's CMake package" FORCE)
    endif()
endif()
