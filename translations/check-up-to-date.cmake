# Runs lupdate over the sources into a copy of a .ts file: a text in the sources that the file
# does not translate shows up there as unfinished. Used by the test translations/up_to_date:
#   cmake -DLUPDATE=... -DTS_FILE=... -DSOURCE_DIR=... -DWORK_DIR=... -P check-up-to-date.cmake
get_filename_component(name ${TS_FILE} NAME)
set(copy ${WORK_DIR}/${name})
file(MAKE_DIRECTORY ${WORK_DIR})
configure_file(${TS_FILE} ${copy} COPYONLY)
execute_process(COMMAND ${LUPDATE} -silent -no-obsolete -locations none -extensions cpp,h,ui ${SOURCE_DIR} -ts ${copy}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed: ${result}")
endif()
file(STRINGS ${copy} open_lines REGEX "type=\"unfinished\"")
list(LENGTH open_lines open)
if(open GREATER 0)
    message(FATAL_ERROR "${name}: ${open} texts in the sources are not translated; run scripts/update-translations.sh")
endif()
