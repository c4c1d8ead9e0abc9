# Runs at install time, so also in the package's staging directory: signs the
# installed programs when a code-signing certificate is given, a PKCS#12 file
# in VORLUND_SIGN_PFX and its password in VORLUND_SIGN_PASSWORD. The
# signature carries no timestamp, so no time server is needed. Without a
# certificate the programs stay unsigned, and this says so.
file(GLOB programs "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/*.exe")
if("$ENV{VORLUND_SIGN_PFX}" STREQUAL "")
  message(WARNING "Vorlund: no code-signing certificate (VORLUND_SIGN_PFX): the programs are unsigned")
  return()
endif()
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
foreach(program IN LISTS programs)
  execute_process(
    COMMAND ${OSSLSIGNCODE} sign -pkcs12 $ENV{VORLUND_SIGN_PFX} -pass $ENV{VORLUND_SIGN_PASSWORD}
            -h sha256 -n "Vorlund with Version Control" -in ${program} -out ${program}.signed
    RESULT_VARIABLE failed OUTPUT_QUIET)
  if(failed)
    file(REMOVE ${program}.signed)
    message(FATAL_ERROR "Vorlund: signing ${program} failed")
  endif()
  file(RENAME ${program}.signed ${program})
  message(NOTICE "Vorlund: signed ${program}")
endforeach()
