# Fails unless the release package holds exactly what administrators get.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP}
                OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${ZIP}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" files "${listing}")
list(SORT files)
set(expected LIESMICH.txt Richtlinien/ Richtlinien/de-DE/ Richtlinien/de-DE/vorlund.adml
             Richtlinien/en-US/ Richtlinien/en-US/vorlund.adml Richtlinien/vorlund.admx banner.jpg
             vorlund.INI vorlund.exe vorlundcheck.exe vorlundpublish.exe)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "package holds: ${files}\nexpected: ${expected}")
endif()

# The example configuration has one kind of line end, CRLF, as Notepad and
# the profile functions write it.
set(unpacked ${CMAKE_CURRENT_BINARY_DIR}/package-check)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} vorlund.INI
                WORKING_DIRECTORY ${unpacked} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack vorlund.INI from ${ZIP}")
endif()
# Read as bytes: a text read drops carriage returns. One byte per item.
file(READ ${unpacked}/vorlund.INI hex HEX)
string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
string(REPLACE "0d 0a " "" rest " ${bytes}")
string(FIND "${rest}" " 0a " bareFeed)
string(FIND "${rest}" " 0d " bareReturn)
if(NOT bareFeed EQUAL -1 OR NOT bareReturn EQUAL -1)
  message(FATAL_ERROR "vorlund.INI has a line end other than CRLF")
endif()

# The policy editor refuses a template whose language file lacks a string or
# a presentation it names, or names another value than the one read.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} Richtlinien
                WORKING_DIRECTORY ${unpacked} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack Richtlinien from ${ZIP}")
endif()
file(READ ${unpacked}/Richtlinien/vorlund.admx admx)
if(NOT admx MATCHES "key=\"SOFTWARE\\\\Policies\\\\Vorlund\"" OR
   NOT admx MATCHES "<multiText [^>]*valueName=\"Herausgeberschluessel\"")
  message(FATAL_ERROR "vorlund.admx does not write the value the launcher reads")
endif()
string(REGEX MATCHALL "\\$\\((string|presentation)\\.[A-Za-z0-9_]+\\)" references "${admx}")
foreach(language de-DE en-US)
  file(READ ${unpacked}/Richtlinien/${language}/vorlund.adml adml)
  foreach(reference ${references})
    string(REGEX REPLACE "^\\$\\((string|presentation)\\.(.*)\\)$" "\\2" id "${reference}")
    if(NOT adml MATCHES "<(string|presentation) id=\"${id}\"")
      message(FATAL_ERROR "${language}/vorlund.adml lacks ${reference}")
    endif()
  endforeach()
endforeach()
