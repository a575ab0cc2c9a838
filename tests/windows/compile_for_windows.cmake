# Compiles every source file of the project for Windows, syntax only, with the flags that the
# Linux build uses for it (compile_commands.json): include folders, definitions, language
# standard and warnings as errors. A file named *_posix.cpp is the POSIX branch of something
# that has a Win32 branch beside it, *_win32.cpp, which is compiled in its place; the install
# test's files, which play a pupil on an installed Debian system, and the end-to-end tests' own
# FUSE file system are not compiled.
#
#   cmake -DCOMPILER=... -DCOMMANDS=compile_commands.json -DSOURCE_DIR=... -DBINARY_DIR=...
#         -DFOLDER=src -P compile_for_windows.cmake
#
# FOLDER is the part of the source tree to compile, so that parts can be checked side by side.

cmake_policy(VERSION 3.25)

file(READ "${COMMANDS}" json)
string(JSON count LENGTH "${json}")
math(EXPR last "${count} - 1")

cmake_path(APPEND SOURCE_DIR "${FOLDER}" OUTPUT_VARIABLE FOLDER_DIR)
set(done)
set(failed)
foreach(i RANGE ${last})
    string(JSON file GET "${json}" ${i} file)
    string(JSON command GET "${json}" ${i} command)
    cmake_path(IS_PREFIX FOLDER_DIR "${file}" NORMALIZE ours)
    cmake_path(IS_PREFIX BINARY_DIR "${file}" NORMALIZE generated)
    if(NOT ours OR generated)
        continue() # moc's output and the like
    endif()
    if(file MATCHES "/tests/install/|/tests/e2e/sharefs\\.cpp$")
        # The install test, its attacker's library and the tests' own FUSE share are Linux's
        # alone.
        continue()
    endif()
    if(file MATCHES "_posix\\.cpp$")
        string(REGEX REPLACE "_posix\\.cpp$" "_win32.cpp" file "${file}")
        if(NOT EXISTS "${file}")
            message(SEND_ERROR "No Win32 branch beside a POSIX one: ${file}")
            continue()
        endif()
    endif()
    if(file IN_LIST done)
        continue()
    endif()
    list(APPEND done "${file}")

    # The compiler and the flags, less the output, the input and what only ELF targets use.
    separate_arguments(args UNIX_COMMAND "${command}")
    list(POP_FRONT args)
    set(flags)
    set(skip 0)
    foreach(arg IN LISTS args)
        if(skip)
            set(skip 0)
        elseif(arg STREQUAL "-o" OR arg STREQUAL "-c" OR arg STREQUAL "-MF" OR arg STREQUAL "-MT")
            set(skip 1)
        elseif(arg MATCHES "^-(fPIC|fPIE|MD|mno-direct-extern-access)$")
        else()
            list(APPEND flags "${arg}")
        endif()
    endforeach()

    cmake_path(RELATIVE_PATH file BASE_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE name)
    execute_process(COMMAND ${COMPILER} ${flags} -fsyntax-only "${file}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(result EQUAL 0)
        message(STATUS "ok      ${name}")
    else()
        message(STATUS "FAILED  ${name}\n${out}")
        list(APPEND failed "${name}")
    endif()
endforeach()

list(LENGTH done total)
list(LENGTH failed bad)
math(EXPR good "${total} - ${bad}")
message(STATUS "${good} of ${total} source files compile for Windows")
if(bad GREATER 0 OR total EQUAL 0)
    message(FATAL_ERROR "Not compiled for Windows: ${failed}")
endif()
