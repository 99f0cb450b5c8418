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
# VST3: JUCE 7.0.5's wrapper copies a channel-mapping vector on every process
# call (8 bytes allocated and freed per block; later framework releases take it
# by reference), and writes a block longer than the host prepared for past the
# end of its scratch buffer. The VST3 wrapper alone compiles against a copy of
# that one framework header with the patch in cmake/patches/ (the reference,
# and a scratch buffer that grows for such a block, which only a host breaking
# its promise ever sends). The installed framework is never touched, and
# everything else uses it as it is.
if(TARGET tolvo_core_VST3)
    find_program(TOLVO_PATCH_PROGRAM patch REQUIRED)
    set(TOLVO_VST3_HEADER juce_audio_processors/format_types/juce_VST3Common.h)
    set(TOLVO_VST3_PATCH ${PROJECT_SOURCE_DIR}/cmake/patches/juce-7.0.5-vst3-process-buffers.patch)
    set(TOLVO_MEND_STAGE ${CMAKE_BINARY_DIR}/juce-mend-stage)
    set(TOLVO_MEND_DIR ${CMAKE_BINARY_DIR}/juce-mend)

    file(REMOVE_RECURSE ${TOLVO_MEND_STAGE})
    file(COPY ${JUCE_MODULES_DIR}/${TOLVO_VST3_HEADER}
         DESTINATION ${TOLVO_MEND_STAGE}/juce_audio_processors/format_types)
    execute_process(
        COMMAND ${TOLVO_PATCH_PROGRAM} --batch --forward --silent -p1 -i ${TOLVO_VST3_PATCH}
        WORKING_DIRECTORY ${TOLVO_MEND_STAGE}
        RESULT_VARIABLE TOLVO_PATCH_RESULT)
    if(NOT TOLVO_PATCH_RESULT EQUAL 0)
        message(FATAL_ERROR "The VST3 mend does not apply to ${JUCE_MODULES_DIR}/${TOLVO_VST3_HEADER}; "
                            "check whether this framework release still needs it.")
    endif()
    # Rewritten only when it changes, so a re-configure does not rebuild.
    configure_file(${TOLVO_MEND_STAGE}/${TOLVO_VST3_HEADER} ${TOLVO_MEND_DIR}/${TOLVO_VST3_HEADER} COPYONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        ${TOLVO_VST3_PATCH} ${JUCE_MODULES_DIR}/${TOLVO_VST3_HEADER})

    # Searched before the framework's modules directory.
    target_include_directories(tolvo_core_VST3 BEFORE PRIVATE ${TOLVO_MEND_DIR})
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
