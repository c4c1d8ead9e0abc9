# Fails when a C++ file of the project differs from what clang-format makes of it.
file(GLOB_RECURSE files
  ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h
  ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
  ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/bench/*.h)
set(bad "")
foreach(f IN LISTS files)
  execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${f}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    list(APPEND bad ${f})
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "Not formatted with clang-format:\n${bad}")
endif()
