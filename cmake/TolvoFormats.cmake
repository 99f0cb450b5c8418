# How the plug-in formats are built beyond what juce_add_plugin does: the LV2
# entry-point layer and its plug-in class, the VST3 allocation mend, and what
# each format's binary exports. Included from the top-level CMakeLists.txt
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
# LV2: the framework's client is compiled unchanged except that its entry point
# is renamed, so host/lv2/TolvoLv2Descriptor.cpp can wrap it (fresh start on
# activate, parameter values reported after instantiation and activation).
if(TARGET tolvo_core_LV2)
    set_source_files_properties(
        "${JUCE_MODULES_DIR}/juce_audio_plugin_client/juce_audio_plugin_client_LV2.cpp"
        PROPERTIES COMPILE_DEFINITIONS "lv2_descriptor=juceLv2Descriptor")
    target_sources(tolvo_core_LV2 PRIVATE
        ${PROJECT_SOURCE_DIR}/host/lv2/Lv2InstanceRegistry.cpp
        ${PROJECT_SOURCE_DIR}/host/lv2/TolvoLv2Descriptor.cpp)

    # The framework writes "a lv2:Plugin" into dsp.ttl; hosts sort Tolvo under
    # limiters once the description says lv2:LimiterPlugin. Runs after the
    # framework's own manifest step, which juce_add_plugin added first.
    add_custom_command(TARGET tolvo_core_LV2 POST_BUILD
        COMMAND ${CMAKE_COMMAND} "-DTTL=$<TARGET_FILE_DIR:tolvo_core_LV2>/dsp.ttl"
                -P ${PROJECT_SOURCE_DIR}/cmake/Lv2PluginClass.cmake
        VERBATIM)
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
    foreach(format VST3 LV2)
        if(TARGET tolvo_core_${format})
            set(map ${PROJECT_SOURCE_DIR}/host/plugin/Tolvo.${format}.map)
            target_link_options(tolvo_core_${format} PRIVATE "-Wl,--version-script=${map}")
            set_property(TARGET tolvo_core_${format} APPEND PROPERTY LINK_DEPENDS ${map})
        endif()
    endforeach()
endif()

# ---------------------------------------------------------------------------
# The host check (tools/plugin-check): the framework's own VST3 and LV2
# hosting loads the built plug-ins. Linux only: it runs under Xvfb.
if(TOLVO_IS_LINUX AND TOLVO_BUILD_PLUGINS AND TOLVO_BUILD_TESTS)
    add_subdirectory(tools/plugin-check)
endif()
