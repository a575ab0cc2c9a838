# What a system-wide install puts on the machine. The Debian package made from it is set up in
# Package.cmake.

set(SORVANE_APP_ID "org.sorvane.Sorvane")

# A game's program goes to <prefix>/games, as Debian's conventions for games ask.
set(SORVANE_INSTALL_GAMESDIR "games")
# Set-group-id to the record files' group: the game opens them with it at its start and gives it
# up at once. CMake cannot give a file a group; the install does it when run as root, and the
# Debian package is given it when it is built (Package.cmake).
install(TARGETS sorvane RUNTIME DESTINATION ${SORVANE_INSTALL_GAMESDIR} COMPONENT game
        PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                    WORLD_EXECUTE SETGID)
# The prefix is the one of the install that runs (CPack's differs from the build's).
set(SORVANE_INSTALLED_GAME "\${CMAKE_INSTALL_PREFIX}/${SORVANE_INSTALL_GAMESDIR}/sorvane")
install(CODE "
    execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(uid STREQUAL \"0\")
        execute_process(COMMAND chgrp ${SORVANE_RECORD_GROUP} \"\$ENV{DESTDIR}${SORVANE_INSTALLED_GAME}\")
        file(CHMOD \"\$ENV{DESTDIR}${SORVANE_INSTALLED_GAME}\" PERMISSIONS OWNER_READ OWNER_WRITE
             OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE SETGID)
    else()
        message(WARNING \"Not root: the game is not given the group ${SORVANE_RECORD_GROUP}\")
    endif()
" COMPONENT game)

set(desktop_source "${PROJECT_SOURCE_DIR}/resources/desktop/${SORVANE_APP_ID}.desktop")
set(desktop_installed "${PROJECT_BINARY_DIR}/packaging/${SORVANE_APP_ID}.desktop")
configure_file(${PROJECT_SOURCE_DIR}/cmake/DesktopEntry.cmake.in
               ${PROJECT_BINARY_DIR}/packaging/DesktopEntry.cmake @ONLY)
install(SCRIPT ${PROJECT_BINARY_DIR}/packaging/DesktopEntry.cmake COMPONENT game)
install(FILES ${desktop_installed} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${SORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/sorvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${SORVANE_APP_ID}.svg COMPONENT game)

# The administrator's settings file, which may name the class's record folder: a conffile of
# the Debian package; a plain install writes it only where there is none yet, so that an
# administrator's own stays as it is.
cmake_path(GET SORVANE_CONF_FILE PARENT_PATH conf_dir)
cmake_path(GET SORVANE_CONF_FILE FILENAME conf_name)
install(CODE "
    if(NOT EXISTS \"\$ENV{DESTDIR}${SORVANE_CONF_FILE}\")
        file(INSTALL DESTINATION \"${conf_dir}\" TYPE FILE RENAME \"${conf_name}\"
             PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
             FILES \"${PROJECT_SOURCE_DIR}/packaging/sorvane.conf\")
    endif()
" COMPONENT game)

# The record files belong to the machine, not to the package: they are made by the game's own
# sorvane-records, empty and writable by the game's group only where they are missing, and
# existing ones keep their bytes (their group and mode are set to the same). A plain install
# runs it from the build; the Debian package runs the installed one from its postinst, and so
# removing or upgrading the package keeps them; purging it removes them.
set(SORVANE_RECORDS_TOOL_DIR "${CMAKE_INSTALL_LIBEXECDIR}/sorvane")
install(TARGETS sorvane-records RUNTIME DESTINATION ${SORVANE_RECORDS_TOOL_DIR} COMPONENT game)
install(CODE "
    execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(group)
    if(uid STREQUAL \"0\")
        set(group --group ${SORVANE_RECORD_GROUP})
    endif()
    execute_process(COMMAND \"$<TARGET_FILE:sorvane-records>\" \${group}
                            \"\$ENV{DESTDIR}${SORVANE_RECORD_DIR}\"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR \"The record files could not be made in \$ENV{DESTDIR}${SORVANE_RECORD_DIR}\")
    endif()
" COMPONENT records)
