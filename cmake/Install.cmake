# What a system-wide install puts on the machine. The Debian package made from it is set up in
# Package.cmake.

set(SORVANE_APP_ID "org.sorvane.Sorvane")

# A game's program goes to <prefix>/games, as Debian's conventions for games ask.
set(SORVANE_INSTALL_GAMESDIR "games")
install(TARGETS sorvane RUNTIME DESTINATION ${SORVANE_INSTALL_GAMESDIR} COMPONENT game)

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

# The record files belong to the machine, not to the package: a plain install creates them
# empty and writable by every user when they are missing and never touches existing ones. The
# Debian package does the same from its postinst, and so removing or upgrading it keeps them.
install(CODE "
    set(dir \"\$ENV{DESTDIR}${SORVANE_RECORD_DIR}\")
    file(MAKE_DIRECTORY \"\${dir}\")
    foreach(name sorvane.txt nsorvane.txt)
        if(NOT EXISTS \"\${dir}/\${name}\")
            message(STATUS \"Creating record file: \${dir}/\${name}\")
            file(TOUCH \"\${dir}/\${name}\")
            file(CHMOD \"\${dir}/\${name}\" PERMISSIONS OWNER_READ OWNER_WRITE
                 GROUP_READ GROUP_WRITE WORLD_READ WORLD_WRITE)
        endif()
    endforeach()
" COMPONENT records)
