# What a system-wide install puts on the machine, and the Debian package made from it.

set(SORVANE_APP_ID "org.sorvane.Sorvane")

install(TARGETS sorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${SORVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${SORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/sorvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${SORVANE_APP_ID}.svg COMPONENT game)

# The record files belong to the machine, not to the package: they are made by the game's own
# sorvane-records, empty and writable by every user where they are missing, and existing ones
# are never touched. A plain install runs it from the build; the Debian package runs the
# installed one from its postinst, and so removing or upgrading the package keeps them.
set(SORVANE_RECORDS_TOOL_DIR "${CMAKE_INSTALL_LIBEXECDIR}/sorvane")
install(TARGETS sorvane-records RUNTIME DESTINATION ${SORVANE_RECORDS_TOOL_DIR} COMPONENT game)
install(CODE "
    execute_process(COMMAND \"$<TARGET_FILE:sorvane-records>\" \"\$ENV{DESTDIR}${SORVANE_RECORD_DIR}\"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR \"The record files could not be made in \$ENV{DESTDIR}${SORVANE_RECORD_DIR}\")
    endif()
" COMPONENT records)

configure_file(${PROJECT_SOURCE_DIR}/packaging/postinst.in
               ${PROJECT_BINARY_DIR}/packaging/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
               WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "sorvane")
set(CPACK_PACKAGE_VENDOR "Sorvane developers")
set(CPACK_PACKAGE_CONTACT "Sorvane developers <sorvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gioco per imparare gli angoli complementari")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "sorvane")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
# Only the game's own files: the record files are made by the postinst.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};game;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_BINARY_DIR}/packaging/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
