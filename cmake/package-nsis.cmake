# `cpack -G NSIS` in the Windows build folder: qor-flipper-<version>-win64-setup.exe, a setup
# program of the same one-folder tree as the zip, for the current user (windows/NSIS.template.in).
# Included from install.cmake before CPack, on Windows only; needs QOR_PLAYER_FILES, the names
# (in the install folder) of the files a player may change.

# The template in cmake/windows replaces CPack's own, which installs for all users.
list(APPEND CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)
# CPack makes a 32-bit setup program unless told, and 64-bit-only Wine cannot start one.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "QOR Flipper")
# Not versioned: setup over an older copy updates its entry instead of adding a second one.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "QOR Flipper")
set(CPACK_NSIS_PACKAGE_NAME "QOR Flipper")
set(CPACK_NSIS_DISPLAY_NAME "QOR Flipper")
set(CPACK_NSIS_INSTALLED_ICON_NAME qor-flipper.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/art/icon.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/art/icon.ico)
set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_NSIS_QOR_COPYRIGHT "Copyright 2026 ${CPACK_PACKAGE_VENDOR}")

# The player's files, as the template's two macros: left out of the bulk copy, and each
# installed (or kept) by the action named.
set(nsh "; Made by package-nsis.cmake.\n!define QOR_PLAYER_EXCLUDES '")
foreach(name IN LISTS QOR_PLAYER_FILES)
  string(APPEND nsh "/x \"${name}\" ")
endforeach()
string(APPEND nsh "'\n!macro QOR_PLAYER_FILES action\n")
foreach(name IN LISTS QOR_PLAYER_FILES)
  string(APPEND nsh "  !insertmacro \${action} \"${name}\"\n")
endforeach()
string(APPEND nsh "!macroend\n")
set(CPACK_NSIS_QOR_PLAYER_FILES ${CMAKE_CURRENT_BINARY_DIR}/qor-player-files.nsh)
file(WRITE ${CPACK_NSIS_QOR_PLAYER_FILES} "${nsh}")

# The picture beside the welcome and finish pages (164 x 314, a BMP as NSIS wants): the card
# back on white. Without ImageMagick, NSIS's own.
find_program(QOR_CONVERT convert)
set(side ${PROJECT_SOURCE_DIR}/resources/art/card_back@2x.png)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${side})
if(QOR_CONVERT)
  set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP ${CMAKE_CURRENT_BINARY_DIR}/setup-side.bmp)
  set(CPACK_NSIS_MUI_UNWELCOMEFINISHPAGE_BITMAP ${CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP})
  execute_process(COMMAND ${QOR_CONVERT} ${side} -resize 150x300 -background white
                          -gravity center -extent 164x314 BMP3:${CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP}
                  COMMAND_ERROR_IS_FATAL ANY)
else()
  message(STATUS "ImageMagick's convert not found: the setup program shows NSIS's own picture")
endif()
