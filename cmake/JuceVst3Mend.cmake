# VST3: JUCE 7.0.5's wrapper copies a channel-mapping vector on every process
# call (8 bytes allocated and freed per block; later framework releases take it
# by reference), and writes a block longer than the host prepared for past the
# end of its scratch buffer. The VST3 wrapper alone compiles against a copy of
# that one framework header with the patch in cmake/patches/ (the reference,
# and a scratch buffer that grows for such a block, which only a host breaking
# its promise ever sends). The installed framework is never touched, and
# everything else uses it as it is.
#
# The patch is made for one framework release and applies exactly or not at
# all: a different release stops the configure step and says what to do.
set(TOLVO_VST3_MEND_FOR 7.0.5)
set(TOLVO_VST3_HEADER juce_audio_processors/format_types/juce_VST3Common.h)
set(TOLVO_VST3_PATCH ${PROJECT_SOURCE_DIR}/cmake/patches/juce-${TOLVO_VST3_MEND_FOR}-vst3-process-buffers.patch)

# The release the module headers say they are, which may differ from the
# package's CMake files if someone points JUCE_MODULES_DIR elsewhere.
set(tolvo_mend_version_header ${JUCE_MODULES_DIR}/juce_core/system/juce_StandardHeader.h)
file(STRINGS ${tolvo_mend_version_header} tolvo_mend_version_lines REGEX "^#define JUCE_(MAJOR_VERSION|MINOR_VERSION|BUILDNUMBER) ")
set(tolvo_mend_modules_version "")
foreach(part MAJOR_VERSION MINOR_VERSION BUILDNUMBER)
    string(REGEX MATCH "JUCE_${part} +([0-9]+)" tolvo_mend_found "${tolvo_mend_version_lines}")
    list(APPEND tolvo_mend_modules_version "${CMAKE_MATCH_1}")
endforeach()
list(JOIN tolvo_mend_modules_version "." tolvo_mend_modules_version)

string(CONCAT tolvo_mend_way_out "Tolvo's VST3 mend (${TOLVO_VST3_PATCH}) is made for JUCE ${TOLVO_VST3_MEND_FOR} and patches a copy of "
            "${JUCE_MODULES_DIR}/${TOLVO_VST3_HEADER}. Either install JUCE ${TOLVO_VST3_MEND_FOR} "
            "(Debian: apt-get install juce-modules-source=7.0.5+ds-1), or check whether this release still "
            "copies the channel mapping and overruns the scratch buffer in that header: if it does, remake the "
            "patch against it and name it for the release; if not, drop the mend (cmake/JuceVst3Mend.cmake).")
if(NOT tolvo_mend_modules_version STREQUAL TOLVO_VST3_MEND_FOR OR (JUCE_VERSION AND NOT JUCE_VERSION STREQUAL TOLVO_VST3_MEND_FOR))
    message(FATAL_ERROR "Found JUCE ${JUCE_VERSION} (module headers: ${tolvo_mend_modules_version}, in ${JUCE_MODULES_DIR}). ${tolvo_mend_way_out}")
endif()

find_program(TOLVO_PATCH_PROGRAM patch)
if(NOT TOLVO_PATCH_PROGRAM)
    message(FATAL_ERROR "The VST3 mend needs the patch program (Debian: apt-get install patch; scripts/setup does).")
endif()

set(TOLVO_MEND_STAGE ${CMAKE_BINARY_DIR}/juce-mend-stage)
set(TOLVO_MEND_DIR ${CMAKE_BINARY_DIR}/juce-mend)
file(REMOVE_RECURSE ${TOLVO_MEND_STAGE})
file(COPY ${JUCE_MODULES_DIR}/${TOLVO_VST3_HEADER}
     DESTINATION ${TOLVO_MEND_STAGE}/juce_audio_processors/format_types)
# No fuzz and no offset guessing in the other direction: every hunk lands where
# it was made, or nothing is used.
execute_process(
    COMMAND ${TOLVO_PATCH_PROGRAM} --batch --forward --fuzz=0 --no-backup-if-mismatch -p1 -i ${TOLVO_VST3_PATCH}
    WORKING_DIRECTORY ${TOLVO_MEND_STAGE}
    RESULT_VARIABLE tolvo_mend_result
    OUTPUT_VARIABLE tolvo_mend_output
    ERROR_VARIABLE tolvo_mend_output)
if(NOT tolvo_mend_result EQUAL 0)
    message(FATAL_ERROR "The VST3 mend does not apply cleanly to ${JUCE_MODULES_DIR}/${TOLVO_VST3_HEADER}:\n"
                        "${tolvo_mend_output}\n${tolvo_mend_way_out}")
endif()
# Rewritten only when it changes, so a re-configure does not rebuild.
configure_file(${TOLVO_MEND_STAGE}/${TOLVO_VST3_HEADER} ${TOLVO_MEND_DIR}/${TOLVO_VST3_HEADER} COPYONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${TOLVO_VST3_PATCH} ${JUCE_MODULES_DIR}/${TOLVO_VST3_HEADER} ${tolvo_mend_version_header})

# Searched before the framework's modules directory.
target_include_directories(tolvo_core_VST3 BEFORE PRIVATE ${TOLVO_MEND_DIR})
