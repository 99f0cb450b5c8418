# How the plug-in formats are built beyond what juce_add_plugin does: the LV2
# bundle, the VST3 allocation mend, and what each format's binary exports. Included from the top-level CMakeLists.txt
# after juce_add_plugin.

# Our own static libraries keep their symbols to themselves; the framework's
# targets already do.
set_target_properties(tolvo_limiter tolvo_images PROPERTIES
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)

target_sources(tolvo_core PRIVATE ${PROJECT_SOURCE_DIR}/processor/BypassDelay.cpp)

set(TOLVO_IS_LINUX FALSE)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(TOLVO_IS_LINUX TRUE)
endif()

# ---------------------------------------------------------------------------
# LV2: a binding of our own, a DSP binary and a window binary in one bundle
# (host/lv2/). Linux only, like the hosts that load it.
# A folder of its own, so LV2_PATH can name it without the rest of the build.
set(TOLVO_LV2_BUNDLE_DIR ${CMAKE_BINARY_DIR}/lv2/Tolvo.lv2)
if(TOLVO_BUILD_PLUGINS AND TOLVO_IS_LINUX)
    add_subdirectory(${PROJECT_SOURCE_DIR}/host/lv2 ${CMAKE_BINARY_DIR}/host/lv2)
endif()

# ---------------------------------------------------------------------------
# VST3: the framework's wrapper compiles against a mended copy of one header;
# see the file.
if(TARGET tolvo_core_VST3)
    include(${PROJECT_SOURCE_DIR}/cmake/JuceVst3Mend.cmake)
endif()

# ---------------------------------------------------------------------------
# Exports: each format's binary exports its entry points and nothing else, so
# two plug-ins in one host process never bind each other's code. ELF only; the
# Windows build exports what the framework marks.
if(TOLVO_IS_LINUX)
    if(TARGET tolvo_core_VST3)
        set(map ${PROJECT_SOURCE_DIR}/host/plugin/Tolvo.VST3.map)
        target_link_options(tolvo_core_VST3 PRIVATE "-Wl,--version-script=${map}")
        set_property(TARGET tolvo_core_VST3 APPEND PROPERTY LINK_DEPENDS ${map})
    endif()
endif()

# ---------------------------------------------------------------------------
# The host check (tools/plugin-check): the framework's own VST3 and LV2
# hosting loads the built plug-ins. Linux only: it runs under Xvfb.
if(TOLVO_IS_LINUX AND TOLVO_BUILD_PLUGINS AND TOLVO_BUILD_TESTS)
    add_subdirectory(tools/plugin-check)
endif()
