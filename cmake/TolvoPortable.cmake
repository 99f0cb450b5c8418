# Portable Linux binaries: one build for every distribution still supported.
# A plug-in or tolvo-render then needs of the system no more than the C
# library, libm, libgcc_s and, for tolvo-render, libsndfile (docs/packaging.md):
#   - the C++ runtime and the image, font, compression and vector libraries
#     are linked statically, their symbols hidden; the libraries come from
#     Debian's sources as position-independent archives (scripts/build-deps);
#   - libcurl is opened when the update check first runs, so a system without
#     it loses only the update notice; the framework opens the X11 libraries
#     at run time already.
# On for a Linux release build; sanitizer and debug builds link the system's
# shared libraries. Included after juce_add_plugin, before the targets
# in subfolders.
set(portable_default OFF)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT TOLVO_SANITIZE)
    set(portable_default ON)
endif()
option(TOLVO_PORTABLE "Link Linux binaries for every distribution (docs/packaging.md)" ${portable_default})

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # Whether or not the build is portable, so that the code is the same.
    target_compile_definitions(tolvo_core PUBLIC JUCE_LOAD_CURL_SYMBOLS_LAZILY=1)
endif()

if(NOT TOLVO_PORTABLE)
    function(tolvo_portable_libraries)
    endfunction()
    return()
endif()

set(TOLVO_DEPS_DIR "${CMAKE_BINARY_DIR}/deps")
set(deps_command "${PROJECT_SOURCE_DIR}/scripts/build-deps" "${TOLVO_DEPS_DIR}")
if(CMAKE_CROSSCOMPILING)
    # A cross build's libraries are built with its own compiler.
    set(deps_command ${CMAKE_COMMAND} -E env "CC=${CMAKE_C_COMPILER}" "AR=${CMAKE_AR}"
        ${deps_command} "${CMAKE_TOOLCHAIN_FILE}")
endif()
execute_process(COMMAND ${deps_command} RESULT_VARIABLE deps_result)
if(NOT deps_result EQUAL 0)
    message(FATAL_ERROR "scripts/build-deps failed; see above")
endif()
set(TOLVO_DEPS_PREFIX "${TOLVO_DEPS_DIR}/prefix")

# Points a pkg-config or framework target at the static archives:
#   tolvo_portable_libraries(TARGET INCLUDE_DIRS LIBRARY...)
function(tolvo_portable_libraries target include_dirs)
    set(libraries)
    foreach(library IN LISTS ARGN)
        if(library MATCHES "^-l")
            list(APPEND libraries "${library}")
        else()
            list(APPEND libraries "${TOLVO_DEPS_PREFIX}/lib/lib${library}.a")
        endif()
    endforeach()
    get_target_property(aliased ${target} ALIASED_TARGET)
    if(aliased)
        set(target ${aliased})
    endif()
    set_target_properties(${target} PROPERTIES
        INTERFACE_LINK_LIBRARIES "${libraries}"
        INTERFACE_LINK_OPTIONS ""
        INTERFACE_LINK_DIRECTORIES ""
        INTERFACE_INCLUDE_DIRECTORIES "${include_dirs}")
endfunction()

set(deps_include "${TOLVO_DEPS_PREFIX}/include")
set(image_includes "${deps_include};${deps_include}/libpng16")
tolvo_portable_libraries(juce::pkgconfig_juce_graphics_LINUX_DEPS "${deps_include}/freetype2" freetype)
tolvo_portable_libraries(juce::pkgconfig_JUCE_IMG_LINUX_DEPS "${image_includes}" png16 jpeg z)
tolvo_portable_libraries(PkgConfig::TOLVO_SYSTEM_LIBS "${image_includes}" png16 jpeg z)
# Highway's headers are the system's, of the same version.
get_target_property(hwy_includes PkgConfig::TOLVO_HWY INTERFACE_INCLUDE_DIRECTORIES)
if(NOT hwy_includes)
    set(hwy_includes "")
endif()
tolvo_portable_libraries(PkgConfig::TOLVO_HWY "${hwy_includes}" hwy)

# The framework's core links zlib by name.
get_target_property(core_libraries juce::juce_core INTERFACE_LINK_LIBRARIES)
list(TRANSFORM core_libraries REPLACE "^z$" "${TOLVO_DEPS_PREFIX}/lib/libz.a")
get_target_property(core_target juce::juce_core ALIASED_TARGET)
set_target_properties(${core_target} PROPERTIES INTERFACE_LINK_LIBRARIES "${core_libraries}")

# The static C++ runtime asks for glibc 2.36's arc4random; every binary that
# links the shared code (all that are shipped do) gets a stand-in of its own.
target_sources(tolvo_core INTERFACE ${PROJECT_SOURCE_DIR}/cmake/arc4random.c)
target_link_options(tolvo_core INTERFACE -Wl,--wrap=arc4random)

# Symbols of the static libraries stay inside each binary, and the C++
# runtime is part of it.
# (Flags rather than add_link_options: the VST3's target exists already.)
foreach(kind EXE SHARED MODULE)
    string(APPEND CMAKE_${kind}_LINKER_FLAGS " -static-libstdc++ -Wl,--exclude-libs,ALL")
endforeach()
