# A release build is hardened as Debian builds its packages (dpkg-buildflags
# with hardening=+all): fortified libc calls, stack protection, read-only
# relocations bound at load, position-independent programs. lintian and
# hardening-check read the result (packaging/check). Included before any
# target is made.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_BUILD_TYPE STREQUAL "Release")
    add_compile_options(-fstack-protector-strong)
    add_compile_definitions(_FORTIFY_SOURCE=2)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES C CXX)
elseif(MINGW)
    # Address-space randomisation, also above 4 GiB, and no code run from data.
    # MinGW's stack protection and fortified calls need its libssp at run time,
    # which the binaries would then carry as one more DLL; they go without.
    add_link_options(LINKER:--dynamicbase LINKER:--nxcompat LINKER:--high-entropy-va)
endif()
