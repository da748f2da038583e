# Checks that a DLL exports exactly the names given, undecorated.
#   cmake -DOBJDUMP=<objdump> -DLIBRARY=<dll> -DEXPECTED=<name;name> -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed (${status})")
endif()

# The name table: "[Ordinal/Name Pointer] Table" followed by rows "\t[   0] Name".
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
set(names)
if(NOT start EQUAL -1)
  string(SUBSTRING "${dump}" ${start} -1 table)
  string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [^\n]*" rows "${table}")
  foreach(row ${rows})
    string(REGEX REPLACE "\n\t\\[ *[0-9]+\\] " "" name "${row}")
    list(APPEND names "${name}")
  endforeach()
endif()

if(NOT "${names}" STREQUAL "${EXPECTED}")
  message(FATAL_ERROR "${LIBRARY} exports [${names}], expected [${EXPECTED}]")
endif()
message(STATUS "${LIBRARY} exports [${names}]")
