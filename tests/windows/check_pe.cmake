# Reads the PE headers of a Windows executable with MinGW's objdump and fails unless it is
# marked terminal-server aware (DllCharacteristics 0x8000) and carries an application
# manifest (a resource of type RT_MANIFEST, 24).
#
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DEXE=program.exe -P check_pe.cmake

cmake_policy(VERSION 3.25)

execute_process(COMMAND ${OBJDUMP} -p ${EXE} RESULT_VARIABLE result OUTPUT_VARIABLE headers
                ERROR_VARIABLE headers)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${EXE}:\n${headers}")
endif()
string(REGEX MATCH "DllCharacteristics[ \t]+([0-9a-fA-F]+)" found "${headers}")
if(NOT found)
    message(FATAL_ERROR "No DllCharacteristics in the headers of ${EXE}")
endif()
set(characteristics "${CMAKE_MATCH_1}")
math(EXPR tsaware "0x${characteristics} & 0x8000")
# The resource types are the entries of the directory's first level, three blanks in.
string(REGEX MATCH "\n[0-9a-f]+   Entry: ID: 0x0*18," manifest "${headers}")
message(STATUS "${EXE}: DllCharacteristics ${characteristics}")
if(tsaware EQUAL 0)
    message(SEND_ERROR "Not marked terminal-server aware (IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE)")
endif()
if(NOT manifest)
    message(SEND_ERROR "No application manifest (RT_MANIFEST resource)")
endif()
