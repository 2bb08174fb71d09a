# Compiles the help file: `cmake -DSOURCE_DIR=<help> -DWORK_DIR=<scratch> -DOUTPUT=<chm>
# -DCHMCMD=<chmcmd> -DICONV=<iconv> -P build_help.cmake`.
#
# The sources are UTF-8, as every source file of the project. HTML Help reads the
# project, the contents, the index and the pages in the code page of the help file's
# language (Japanese: cp932), and Wine's viewer does the same, so each text source is
# converted to cp932 in the scratch folder before chmcmd compiles it there; the pages
# declare charset=Shift_JIS accordingly. A character cp932 lacks stops the build.
foreach(variable SOURCE_DIR WORK_DIR OUTPUT CHMCMD ICONV)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "build_help.cmake: ${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(GLOB texts ${SOURCE_DIR}/*.html ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk ${SOURCE_DIR}/*.hhp)
foreach(source ${texts})
  get_filename_component(name ${source} NAME)
  execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${source}
    OUTPUT_FILE ${WORK_DIR}/${name} RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "help: ${name} holds text that cp932 cannot encode: ${errors}")
  endif()
endforeach()
file(GLOB styles ${SOURCE_DIR}/*.css)
file(COPY ${styles} DESTINATION ${WORK_DIR})

execute_process(COMMAND ${CHMCMD} --no-html-scan kestrinHelp.hhp
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORK_DIR}/kestrinHelp.chm)
  message(FATAL_ERROR "help: chmcmd failed:\n${log}")
endif()
# chmcmd reports a page named in the project but missing as a note and goes on.
if(log MATCHES "[Nn]ot found|[Ee]rror")
  message(FATAL_ERROR "help: chmcmd reported a problem:\n${log}")
endif()
file(COPY_FILE ${WORK_DIR}/kestrinHelp.chm ${OUTPUT})
