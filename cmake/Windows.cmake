# Windows: what an install puts on the machine, and the installer made from it with NSIS,
# sorvane-<version>-win64.exe.
#
# Everything goes into one folder, bin/, as Qt's own deployment lays a program out: when
# Qt6Core.dll sits beside the executable, Qt looks for its plugins and translations there.
#   bin/               sorvane.exe, sorvane-records.exe, Qt's DLLs, the compiler's runtime DLLs
#   bin/platforms/     the only Qt plugin the game uses, the Windows platform (Fusion is built
#                      in, and the game's pictures are drawn in code: no image format plugin)
#   bin/translations/  qtbase_it.qm, Qt's own texts (the buttons of the boxes) in Italian
#   policy/            the Group Policy template (sorvane.admx, it-IT and en-US) that names the
#                      class's record folder
# The record files are not part of it: they belong to the machine, in the Windows directory.

set(SORVANE_QT_TRANSLATIONS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}" CACHE PATH
    "Folder holding Qt's qtbase_it.qm (Debian's qt6-translations-l10n has one for every system)")

install(TARGETS sorvane RUNTIME DESTINATION bin COMPONENT game)
if(TARGET sorvane-records)
    install(TARGETS sorvane-records RUNTIME DESTINATION bin COMPONENT game)
    # The Group Policy template that names the class's record folder.
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/windows/ DESTINATION policy COMPONENT game)
endif()
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin
        LIBRARY DESTINATION bin/platforms COMPONENT game
        RUNTIME DESTINATION bin/platforms COMPONENT game)
if(EXISTS "${SORVANE_QT_TRANSLATIONS}/qtbase_it.qm")
    install(FILES "${SORVANE_QT_TRANSLATIONS}/qtbase_it.qm" DESTINATION bin/translations
            COMPONENT game)
else()
    message(WARNING "No qtbase_it.qm in ${SORVANE_QT_TRANSLATIONS}: the boxes' buttons will "
                    "be in English. Set SORVANE_QT_TRANSLATIONS to a folder that has it.")
endif()

# The DLLs that the programs and the plugin load: Qt's, from Qt's bin folder, and the
# compiler's runtime, from the compiler's own folders (WindowsDeploy.cmake). Microsoft's
# compiler brings its runtime through InstallRequiredSystemLibraries.
set(dll_dirs "$<TARGET_FILE_DIR:Qt6::Core>")
if(MINGW)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(IS_ABSOLUTE "${path}")
            cmake_path(GET path PARENT_PATH dir)
            list(APPEND dll_dirs "${dir}")
        endif()
    endforeach()
    list(REMOVE_DUPLICATES dll_dirs)
endif()
set(programs "$<TARGET_FILE:sorvane>")
if(TARGET sorvane-records)
    list(APPEND programs "$<TARGET_FILE:sorvane-records>")
endif()
set(objdump "")
if(NOT CMAKE_HOST_WIN32)
    set(objdump "${CMAKE_OBJDUMP}")
endif()
install(CODE "
    set(SORVANE_DEPLOY_PROGRAMS \"${programs}\")
    set(SORVANE_DEPLOY_MODULES \"$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>\")
    set(SORVANE_DEPLOY_DIRS \"${dll_dirs}\")
    set(SORVANE_DEPLOY_OBJDUMP \"${objdump}\")
    set(SORVANE_DEPLOY_WORK \"${PROJECT_BINARY_DIR}\")
    set(SORVANE_DEPLOY_STRIP \"${CMAKE_STRIP}\")
" COMPONENT game)
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/WindowsDeploy.cmake COMPONENT game)
# The game's two programs are signed once stripped and before any installer takes them, when a
# certificate is given (scripts/authenticode says how); the installer and its uninstaller are
# signed by makensis (cmake/nsis/NSIS.template.in), the MSI by scripts/windows.
set(SORVANE_AUTHENTICODE "${PROJECT_SOURCE_DIR}/scripts/authenticode")
set(signed [=["$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/sorvane.exe"]=])
if(TARGET sorvane-records)
    string(APPEND signed [=[ "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/sorvane-records.exe"]=])
endif()
install(CODE "
    if(\"\$ENV{SORVANE_SIGN_PKCS12}\" STREQUAL \"\")
        message(STATUS \"Not signed: no certificate given (SORVANE_SIGN_PKCS12)\")
    else()
        execute_process(COMMAND \"${SORVANE_AUTHENTICODE}\" ${signed}
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
" COMPONENT game)
set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION bin)
set(CMAKE_INSTALL_SYSTEM_RUNTIME_COMPONENT game)
include(InstallRequiredSystemLibraries)

# The installer: per machine (it asks for an administrator), under Program Files, with its
# Start-menu entries (below) and an uninstaller registered with Windows. After copying the
# files it creates the record files in the Windows directory, empty and writable by the Users
# group, leaving existing ones as they are; uninstalling leaves them too, so the record
# survives a reinstall or an upgrade.
# Every CPACK_ value below reaches NSIS exactly as written here, backslashes included.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR "NSIS")
# A 64-bit installer, like the game: it writes Windows' 64-bit registry view, not the one kept
# for 32-bit programs. CPack has no setting of its own for NSIS's target; the compressor's line
# of its script is followed by this one.
set(CPACK_NSIS_COMPRESSOR "lzma\n  Target amd64-unicode")
set(CPACK_PACKAGE_NAME "Sorvane")
set(CPACK_PACKAGE_VENDOR "Sorvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Gioco per imparare gli angoli complementari")
set(CPACK_PACKAGE_FILE_NAME "sorvane-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Sorvane")
# The Start menu, beside "Disinstalla Sorvane": "Sorvane", the game, and the board shortcut,
# the game full screen and enlarged for a classroom's touch board. The board shortcut works in
# the same folder as "Sorvane" and shows the game's own icon like it. Its texts serve the MSI
# too (packaging/sorvane.wxs), as wixl definitions in packaging/shortcuts.wxi of the build.
set(CPACK_PACKAGE_EXECUTABLES "sorvane" "Sorvane")
set(SORVANE_BOARD_SHORTCUT "Sorvane alla lavagna")
set(SORVANE_BOARD_DESCRIPTION "Riconosciamo gli angoli alla lavagna")
set(SORVANE_BOARD_ARGUMENTS "--lavagna")
# NSIS's CreateShortCut: link, target, arguments, icon (none: the target's), icon index, show
# command, hot key, description.
string(CONFIGURE [=[
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\@SORVANE_BOARD_SHORTCUT@.lnk" \
    "$INSTDIR\bin\sorvane.exe" "@SORVANE_BOARD_ARGUMENTS@" "" 0 SW_SHOWNORMAL "" \
    "@SORVANE_BOARD_DESCRIPTION@"
]=] CPACK_NSIS_CREATE_ICONS_EXTRA @ONLY)
# The uninstaller runs this for each of the two places where it looks for the Start-menu folder.
string(CONFIGURE [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\@SORVANE_BOARD_SHORTCUT@.lnk"
]=] CPACK_NSIS_DELETE_ICONS_EXTRA @ONLY)
file(CONFIGURE OUTPUT "${PROJECT_BINARY_DIR}/packaging/shortcuts.wxi" CONTENT [=[
<?xml version="1.0" encoding="utf-8"?>
<!-- Written by cmake/Windows.cmake: the board shortcut's texts, for packaging/sorvane.wxs. -->
<Include>
  <?define BoardShortcutName = "@SORVANE_BOARD_SHORTCUT@"?>
  <?define BoardShortcutDescription = "@SORVANE_BOARD_DESCRIPTION@"?>
  <?define BoardShortcutArguments = "@SORVANE_BOARD_ARGUMENTS@"?>
</Include>
]=] @ONLY)
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_NSIS_PACKAGE_NAME "Sorvane")
set(CPACK_NSIS_DISPLAY_NAME "Sorvane")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/resources/icons/sorvane.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/resources/icons/sorvane.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME [=[bin\sorvane.exe]=])
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The option /CARTELLARECORD=FOLDER names the class's record folder for every user of the
# machine, in the 64-bit registry view that the game reads (as the MSI's CARTELLARECORD does);
# Group Policy's value wins over it. Uninstalling takes it away again.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  ExecWait '"$INSTDIR\bin\sorvane-records.exe" "$WINDIR"' $0
  IntCmp $0 0 records_done
    MessageBox MB_OK|MB_ICONSTOP "Impossibile creare i file dei record in $WINDIR." /SD IDOK
    SetErrorLevel 2
  records_done:
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CARTELLARECORD=" $R1
  IfErrors class_folder_done
  StrCmp $R1 "" class_folder_done
    SetRegView 64
    WriteRegStr HKLM "SOFTWARE\Sorvane" "CartellaRecord" "$R1"
    SetRegView default
  class_folder_done:
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  SetRegView 64
  DeleteRegValue HKLM "SOFTWARE\Sorvane" "CartellaRecord"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Sorvane"
  SetRegView default
]=])
set(CPACK_STRIP_FILES ON)
# makensis runs it on the uninstaller it writes and on the installer.
set(CPACK_SORVANE_AUTHENTICODE "${SORVANE_AUTHENTICODE}")
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};game;/")
# The installer's script is CPack's own, made Italian: cmake/nsis/NSIS.template.in says how.
list(APPEND CMAKE_MODULE_PATH "${PROJECT_SOURCE_DIR}/cmake/nsis")
include(CPack)
