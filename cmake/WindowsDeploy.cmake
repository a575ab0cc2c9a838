# Run by `cmake --install` on Windows builds: copies into bin/ the DLLs that the installed
# programs and plugins load, found by CMake's own reading of their import tables among Qt's
# and the compiler's DLLs. Windows' own DLLs stay out. Set by the install rules before:
#   SORVANE_DEPLOY_PROGRAMS, SORVANE_DEPLOY_MODULES  the executables and plugins
#   SORVANE_DEPLOY_DIRS                               where their DLLs are
#   SORVANE_DEPLOY_OBJDUMP                            MinGW's objdump, when not on Windows
#   SORVANE_DEPLOY_WORK                               a folder of the build for what follows
#   SORVANE_DEPLOY_STRIP                              the compiler's strip, for --strip

set(search_dirs ${SORVANE_DEPLOY_DIRS})
if(SORVANE_DEPLOY_OBJDUMP)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${SORVANE_DEPLOY_OBJDUMP}")
endif()
if(NOT CMAKE_HOST_WIN32)
    # CMake looks the DLLs up by their names in lower case, as Windows would find them; on a
    # file system that tells cases apart, the folders are shown to it through links so named.
    set(search_dirs "${SORVANE_DEPLOY_WORK}/dll-names")
    file(REMOVE_RECURSE "${search_dirs}")
    file(MAKE_DIRECTORY "${search_dirs}")
    foreach(dir IN LISTS SORVANE_DEPLOY_DIRS)
        file(GLOB found "${dir}/*.dll" "${dir}/*.DLL")
        foreach(dll IN LISTS found)
            cmake_path(GET dll FILENAME name)
            string(TOLOWER "${name}" lower)
            if(NOT EXISTS "${search_dirs}/${lower}")
                file(CREATE_LINK "${dll}" "${search_dirs}/${lower}" SYMBOLIC)
            endif()
        endforeach()
    endforeach()
endif()

file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES ${SORVANE_DEPLOY_PROGRAMS}
    MODULES ${SORVANE_DEPLOY_MODULES}
    DIRECTORIES ${search_dirs}
    PRE_EXCLUDE_REGEXES "^[Aa][Pp][Ii]-[Mm][Ss]-" "^[Ee][Xx][Tt]-[Mm][Ss]-"
    POST_EXCLUDE_REGEXES "[Ss][Yy][Ss][Tt][Ee][Mm]32"
    RESOLVED_DEPENDENCIES_VAR dlls
    UNRESOLVED_DEPENDENCIES_VAR system_dlls)

# What is not found beside Qt or the compiler is Windows' own; a Qt or compiler DLL among
# those would make a game that does not start.
foreach(dll IN LISTS system_dlls)
    if(dll MATCHES "^([Qq][Tt]6|[Ll][Ii][Bb])")
        message(FATAL_ERROR "Not found for deployment: ${dll}")
    endif()
endforeach()
set(files)
foreach(dll IN LISTS dlls)
    if(IS_SYMLINK "${dll}")
        file(READ_SYMLINK "${dll}" dll)
    endif()
    list(APPEND files "${dll}")
endforeach()
file(INSTALL ${files} DESTINATION "${CMAKE_INSTALL_PREFIX}/bin")

# `cmake --install --strip` (and CPack) strips the game's own programs; the DLLs and the plugin
# lose their symbols too, which the compiler's runtime carries by the megabyte.
if(CMAKE_INSTALL_DO_STRIP AND SORVANE_DEPLOY_STRIP)
    file(GLOB dlls "${CMAKE_INSTALL_PREFIX}/bin/*.dll" "${CMAKE_INSTALL_PREFIX}/bin/*/*.dll")
    foreach(dll IN LISTS dlls)
        execute_process(COMMAND "${SORVANE_DEPLOY_STRIP}" --strip-unneeded "${dll}"
                        RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "Could not strip ${dll}")
        endif()
    endforeach()
endif()
