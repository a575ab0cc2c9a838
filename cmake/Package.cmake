# The Debian package: the files Debian's conventions ask of every package (the copyright file,
# the changelog and the manual page, installed by a plain install too) and the package's own
# settings. `scripts/package` builds it with CPack.

# The address the project's own commits carry; the project has no home page.
set(SORVANE_MAINTAINER "Sorvane developers <maintainers@users.noreply.c-seed-b14bec31.example>")
set(packaging "${PROJECT_BINARY_DIR}/packaging")

# The manual page (section 6, games) and the changelog, compressed without a name or time
# stamp so that every build of the same sources gives the same bytes. The manual page says
# how long a game lasts as the game's own clock has it.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/game/clock.h minutes_line REGEX "gameMinutes = [0-9]+")
string(REGEX MATCH "gameMinutes = ([0-9]+)" minutes_line "${minutes_line}")
set(SORVANE_GAME_MINUTES ${CMAKE_MATCH_1})
configure_file(${PROJECT_SOURCE_DIR}/packaging/sorvane.6.in ${packaging}/sorvane.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${packaging}/changelog @ONLY)
set(compressed)
foreach(name sorvane.6 changelog)
    add_custom_command(
        OUTPUT ${packaging}/gz/${name}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${packaging}/${name} ${packaging}/gz/${name}
        COMMAND gzip -9nf ${packaging}/gz/${name}
        DEPENDS ${packaging}/${name}
        VERBATIM)
    list(APPEND compressed ${packaging}/gz/${name}.gz)
endforeach()
add_custom_target(sorvane-docs ALL DEPENDS ${compressed})

install(FILES ${packaging}/gz/sorvane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
        COMPONENT game)
install(FILES ${packaging}/gz/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME} COMPONENT game)

foreach(script postinst postrm)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/${script}.in ${packaging}/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                   GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

# CPack's archive gives every file to root:root and its stripping drops the set-group-id bit:
# the package is made again from its own contents with the game root:games 2755.
configure_file(${PROJECT_SOURCE_DIR}/packaging/SetGameGroup.cmake.in
               ${packaging}/SetGameGroup.cmake @ONLY)
set(CPACK_POST_BUILD_SCRIPTS "${packaging}/SetGameGroup.cmake")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "sorvane")
set(CPACK_PACKAGE_VENDOR "Sorvane developers")
set(CPACK_PACKAGE_CONTACT "${SORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gioco per imparare gli angoli complementari")
# The extended description under that summary: lines of at most 80 characters, an empty line
# between paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Sorvane è un piccolo gioco per la scuola, in italiano, che insegna gli angoli
complementari. Ogni domanda disegna un angolo retto e, sopra, un angolo dato;
l'alunno costruisce il complementare premendo i pulsanti dei valori, che si
sommano, e poi preme «Verifica». Il gioco conta le risposte esatte e quelle
errate, dura quindici minuti e conserva il record della macchina, comune a
tutti gli utenti, con il nome di chi l'ha fatto.

Sorvane is a small school game, in Italian, that teaches complementary angles.
The pupil builds the complement of a drawn angle with value buttons that add
up; a game lasts fifteen minutes and the machine keeps its best score.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "sorvane")
# Installed under DESTDIR with the real prefix, so that what is written at install time (the
# menu entry's full path to the game) names /usr and not CPack's staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
# Only the game's own files: the record files are made by the postinst.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};game;/")
# No debugging information in the package: the program is stripped.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
file(WRITE ${packaging}/conffiles "${SORVANE_CONF_FILE}\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${packaging}/postinst;${packaging}/postrm;${packaging}/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
