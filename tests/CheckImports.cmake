cmake_minimum_required(VERSION 3.25)
# Fails when a program imports a DLL that Windows does not always take from
# the system directory: the loader would look for it beside the program
# first, before any search restriction can act. Also fails when a program is
# not marked terminal-server aware.
set(known ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL SHELL32.DLL SHLWAPI.DLL
          USER32.DLL)
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot read ${program}")
  endif()
  if(NOT dump MATCHES "TERMINAL_SERVICE_AWARE")
    message(FATAL_ERROR "${program} is not marked terminal-server aware")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  foreach(entry IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${entry}")
    string(TOUPPER "${dll}" dll)
    if(NOT dll IN_LIST known)
      message(FATAL_ERROR "${program} imports ${dll}")
    endif()
  endforeach()
endforeach()
