# Runs one Qt Test program under Wine: its output goes to RESULT (Qt Test writes nothing into a
# pipe there), which is printed; the program's exit code decides.
# cmake -DEMULATOR=... -DPROGRAM=test_x.exe -DRESULT=x-result.txt -P RunUnderWine.cmake
file(REMOVE ${RESULT})
execute_process(COMMAND ${EMULATOR} ${PROGRAM} -o "Z:${RESULT},txt" RESULT_VARIABLE code)
if(EXISTS ${RESULT})
  file(READ ${RESULT} output)
  message("${output}")
endif()
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} exited with ${code}")
endif()
