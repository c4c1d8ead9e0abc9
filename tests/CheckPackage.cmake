# Fails unless the release package holds exactly what administrators get.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP}
                OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${ZIP}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" files "${listing}")
list(SORT files)
set(expected LIESMICH.txt banner.jpg vorlund.INI vorlund.exe vorlundcheck.exe vorlundpublish.exe)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "package holds: ${files}\nexpected: ${expected}")
endif()
