# Runs at install time, so also in the package's staging directory: signs the
# installed programs when a code-signing certificate is given, a PKCS#12 file
# in VORLUND_SIGN_PFX and its password in VORLUND_SIGN_PASSWORD. With an
# RFC 3161 time server in VORLUND_SIGN_TIMESTAMP_URL the signature is
# timestamped, so that it stays valid after the certificate expires; a time
# server that does not answer fails the signing. Without one the signature
# carries no timestamp. Without a certificate the programs stay unsigned, and
# this says so.
file(GLOB programs "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/*.exe")
if("$ENV{VORLUND_SIGN_PFX}" STREQUAL "")
  message(WARNING "Vorlund: no code-signing certificate (VORLUND_SIGN_PFX): the programs are unsigned")
  return()
endif()
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
set(timestamp "")
if(NOT "$ENV{VORLUND_SIGN_TIMESTAMP_URL}" STREQUAL "")
  set(timestamp -ts $ENV{VORLUND_SIGN_TIMESTAMP_URL})
endif()
foreach(program IN LISTS programs)
  execute_process(
    COMMAND ${OSSLSIGNCODE} sign -pkcs12 $ENV{VORLUND_SIGN_PFX} -pass $ENV{VORLUND_SIGN_PASSWORD}
            -h sha256 -n "Vorlund with Version Control" ${timestamp} -in ${program}
            -out ${program}.signed
    RESULT_VARIABLE failed OUTPUT_QUIET)
  if(failed)
    file(REMOVE ${program}.signed)
    message(FATAL_ERROR "Vorlund: signing ${program} failed")
  endif()
  file(RENAME ${program}.signed ${program})
  message(NOTICE "Vorlund: signed ${program}")
endforeach()
