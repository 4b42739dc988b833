# Run by CPack between installing the files and packing them: takes off the program what Debian's
# packages take off theirs beyond the symbols, the compilers' names (.comment) and the .note section.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*)
foreach(program ${programs})
    execute_process(COMMAND ${CPACK_PARLONA_OBJCOPY} --remove-section=.comment --remove-section=.note ${program}
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot strip ${program}")
    endif()
endforeach()
