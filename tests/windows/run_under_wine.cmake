# Builds a Qt-free test program for Windows with MinGW-w64 (statically, so that it needs no
# DLL of the compiler) and runs it under wine in the given prefix, headless. The program's own
# exit status is the result. A DLL of the test's own may be built beside it, where the loader
# looks first, and the program may be given arguments.
#
#   cmake -DCOMPILER=... -DSOURCES=a.cpp|b.cpp -DWARNINGS=-Wall|... -DINCLUDE=src
#         [-DWINDRES=... -DRESOURCES=a.rc|...] [-DLINK_FLAGS=...|...]
#         [-DLIBRARY=name.dll -DLIBRARY_SOURCES=c.cpp|... [-DLIBRARY_FLAGS=-DX|-lfoo|...]]
#         [-DARGS=a|b] -DOUTPUT=x.exe -DPREFIX=wine-prefix -P run_under_wine.cmake

cmake_policy(VERSION 3.25)

string(REPLACE "|" ";" SOURCES "${SOURCES}")
string(REPLACE "|" ";" WARNINGS "${WARNINGS}")
string(REPLACE "|" ";" LINK_FLAGS "${LINK_FLAGS}")
string(REPLACE "|" ";" LIBRARY_SOURCES "${LIBRARY_SOURCES}")
string(REPLACE "|" ";" LIBRARY_FLAGS "${LIBRARY_FLAGS}")
string(REPLACE "|" ";" ARGS "${ARGS}")
cmake_path(GET OUTPUT PARENT_PATH output_dir)
file(MAKE_DIRECTORY "${output_dir}")
if(LIBRARY)
    execute_process(COMMAND ${COMPILER} -std=c++20 ${WARNINGS} -O1 -static -shared
                            ${LIBRARY_SOURCES} ${LIBRARY_FLAGS} -o ${output_dir}/${LIBRARY}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Could not build ${LIBRARY} for Windows")
    endif()
endif()
# The program's resources (its manifest), compiled apart and linked in.
set(objects)
foreach(rc IN LISTS RESOURCES)
    cmake_path(GET rc STEM stem)
    set(object "${OUTPUT}.${stem}.res.o")
    execute_process(COMMAND ${WINDRES} -O coff ${rc} -o ${object} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Could not compile ${rc} for Windows")
    endif()
    list(APPEND objects "${object}")
endforeach()
execute_process(COMMAND ${COMPILER} -std=c++20 ${WARNINGS} -O1 -static -I${INCLUDE}
                        ${SOURCES} ${objects} ${LINK_FLAGS} -o ${OUTPUT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not build ${OUTPUT} for Windows")
endif()

find_program(WINE NAMES wine wine64 REQUIRED)
# No display, no Mono or Gecko prompts, no wine debugging chatter.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                        WINEPREFIX=${PREFIX} WINEARCH=win64 WINEDEBUG=-all
                        "WINEDLLOVERRIDES=mscoree,mshtml=" ${WINE} ${OUTPUT} ${ARGS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OUTPUT} under wine: exit status ${result}")
endif()
