# cmake -DSCDOC=... -DINPUT=page.1.scd -DOUTPUT=page.1 -P scdoc-to-roff.cmake
execute_process(COMMAND ${SCDOC} INPUT_FILE ${INPUT} OUTPUT_VARIABLE roff ERROR_VARIABLE problem
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scdoc could not read ${INPUT}: ${problem}")
endif()
# The pages are German, and groff would break their words by English rules
# ("Rückgabew-ert"); the man macros restore hyphenation from HY at every paragraph.
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nr HY 0\n" roff "${roff}")
file(WRITE ${OUTPUT} "${roff}")
