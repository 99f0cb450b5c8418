# cmake -DNM=nm "-DCHECKS=LIB=sym,sym;LIB=" -P CheckExports.cmake
cmake_minimum_required(VERSION 3.22)
# Fails unless each binary's defined dynamic symbols are exactly the listed
# entry points (for an executable: none but the linker's own markers).
set(linker_markers _IO_stdin_used __bss_start _edata _end __data_start data_start _fini _init)
set(failed FALSE)

foreach(check IN LISTS CHECKS)
    string(FIND "${check}" "=" at REVERSE)
    string(SUBSTRING "${check}" 0 ${at} binary)
    math(EXPR after "${at} + 1")
    string(SUBSTRING "${check}" ${after} -1 wanted)
    string(REPLACE "," ";" wanted "${wanted}")

    execute_process(COMMAND ${NM} -D --defined-only --format=posix "${binary}"
                    OUTPUT_VARIABLE listing RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(SEND_ERROR "${binary}: nm failed")
        set(failed TRUE)
        continue()
    endif()

    string(REPLACE "\n" ";" lines "${listing}")
    set(exported "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^([^ ]+) ")
            set(name "${CMAKE_MATCH_1}")
            string(REGEX REPLACE "@.*" "" name "${name}")
            # An executable carries copies of the C++ library's type data it
            # refers to (copy relocations); they are not its own code.
            if(NOT name IN_LIST linker_markers AND NOT (wanted STREQUAL "" AND name MATCHES "^_ZT[ISV]St"))
                list(APPEND exported "${name}")
            endif()
        endif()
    endforeach()

    list(SORT exported)
    list(SORT wanted)
    if(NOT "${exported}" STREQUAL "${wanted}")
        message(SEND_ERROR "${binary}\n  exports: ${exported}\n  expected: ${wanted}")
        set(failed TRUE)
    else()
        message(STATUS "${binary}: ${exported}")
    endif()
endforeach()

if(failed)
    message(FATAL_ERROR "a plug-in binary exports more than its entry points")
endif()
