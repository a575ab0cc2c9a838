# What every Windows executable of the project carries, applied by sorvane_windows_programs():
#  - the terminal-server-aware mark: without it a Remote Desktop Session Host gives each user a
#    private Windows directory, and the machine's one record would become one per pupil.
#    MinGW's linker leaves the mark off; Microsoft's sets it, and is asked for it anyway;
#  - no link time in the header (MinGW's linker writes one unless told not to), so that the
#    same sources give the same program;
#  - the one application manifest, resources/windows/sorvane.manifest (asInvoker, Windows 10
#    and 11, per-monitor DPI aware as Qt 6 makes itself).
# The checks that link for Windows outside this build (tests/windows) use the same two.
set(SORVANE_WINDOWS_MANIFEST_RC "${PROJECT_SOURCE_DIR}/resources/windows/manifest.rc")
if(MSVC)
    set(SORVANE_WINDOWS_LINK_FLAGS "/TSAWARE")
else()
    set(SORVANE_WINDOWS_LINK_FLAGS "-Wl,--tsaware" "-Wl,--no-insert-timestamp")
endif()

function(sorvane_windows_program target)
    target_sources(${target} PRIVATE "${SORVANE_WINDOWS_MANIFEST_RC}")
    target_link_options(${target} PRIVATE ${SORVANE_WINDOWS_LINK_FLAGS})
    if(MSVC)
        # The manifest is ours: the linker makes none of its own.
        target_link_options(${target} PRIVATE "/MANIFEST:NO")
    endif()
endfunction()

# Every executable defined in `dir` and the folders below it.
function(sorvane_windows_programs dir)
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            sorvane_windows_program(${target})
        endif()
    endforeach()
    get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        sorvane_windows_programs("${subdir}")
    endforeach()
endfunction()
