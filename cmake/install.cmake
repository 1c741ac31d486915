# What `cmake --install` lays out.
#
# Linux and other Unix desktops (paths under the install prefix):
#   libexec/qor-flipper/qor-flipper       the program, with the four wave files beside it
#   bin/qor-flipper                       launcher: starts the program in a folder that has a
#                                         fac_data.txt (the current one, else the sample's)
#   share/qor-flipper/fac_data.txt        the sample deck
#   share/applications/example.olvarin.qor_flipper.desktop
#   share/metainfo/example.olvarin.qor_flipper.metainfo.xml
#   share/icons/hicolor/<n>x<n>/apps/qor-flipper.png
#   share/man/man6/qor-flipper.6.gz
#   share/doc/qor-flipper/copyright, changelog.gz
# Windows (and the zip that cpack makes of it), all in one folder: qor-flipper.exe, the four
# wave files, fac_data.txt, README.txt, the Qt DLLs with platforms/ and styles/, and the
# MinGW runtime DLLs.

include(GNUInstallDirs)
# Folders readable by all whatever the umask of whoever installs or packages.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

list(TRANSFORM QOR_CUE_FILES PREPEND ${PROJECT_SOURCE_DIR}/resources/sounds/
     OUTPUT_VARIABLE QOR_SOUND_FILES)

if(WIN32)
  # The version resource shows the project version in the file's properties.
  set(QOR_ICON_FILE ${PROJECT_SOURCE_DIR}/resources/art/icon.ico)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/qor-flipper.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/qor-flipper.rc @ONLY)
  target_sources(qor-flipper PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/qor-flipper.rc)

  # One folder, as a player unpacks it: the program, the wave files, the sample deck, the Qt
  # libraries and plugins it loads, and the compiler's runtime.
  install(TARGETS qor-flipper RUNTIME DESTINATION .)
  install(FILES ${QOR_SOUND_FILES} ${PROJECT_SOURCE_DIR}/resources/fac_data.txt DESTINATION .)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/windows/README.txt DESTINATION .)
  install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets DESTINATION .)
  install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "The compiler's runtime ${dll} is not to be found")
    endif()
    install(FILES ${path} DESTINATION .)
  endforeach()
else()
  set(QOR_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/qor-flipper)
  set(QOR_DATA_DIR ${CMAKE_INSTALL_DATADIR}/qor-flipper)

  install(TARGETS qor-flipper RUNTIME DESTINATION ${QOR_PROGRAM_DIR})
  # A stripped install (cmake --install --strip, and cpack for the Debian package) also drops
  # the compiler's notes, which plain strip keeps.
  if(CMAKE_STRIP)
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QOR_PROGRAM_DIR}/qor-flipper\"
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endif()
  # The program looks for its cues in its own folder; players may replace them there.
  install(FILES ${QOR_SOUND_FILES} DESTINATION ${QOR_PROGRAM_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/fac_data.txt DESTINATION ${QOR_DATA_DIR})

  # The launcher finds the program and the sample relative to itself, so the tree can move.
  file(RELATIVE_PATH QOR_BIN_TO_PROGRAM
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${QOR_PROGRAM_DIR})
  file(RELATIVE_PATH QOR_BIN_TO_DATA
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${QOR_DATA_DIR})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/qor-flipper.sh.in
                 ${CMAKE_CURRENT_BINARY_DIR}/qor-flipper-launcher @ONLY)
  install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/qor-flipper-launcher
          DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME qor-flipper)

  # The menu entry and the AppStream metadata carry the program's reverse-DNS id (after the
  # maker's web address): software centres match the two by that name.
  set(QOR_APP_ID example.olvarin.qor_flipper)

  # The entry names the launcher by its full path under the prefix given at install time
  # (cmake --install --prefix), without DESTDIR.
  install(CODE "
    set(QOR_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/qor-flipper\")
    configure_file(\"${CMAKE_CURRENT_LIST_DIR}/${QOR_APP_ID}.desktop.in\"
                   \"${CMAKE_CURRENT_BINARY_DIR}/${QOR_APP_ID}.desktop\" @ONLY)")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${QOR_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${QOR_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  foreach(size 16 32 48 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/art/icon_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME qor-flipper.png)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/art/icon.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME qor-flipper.png)

  # The manual page, the licence and the release notes. The page and the notes are
  # compressed at install time, as man and Debian's tools expect, without a time stamp (-n)
  # so that the same source always gives the same file.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/doc/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qor-flipper)
  find_program(QOR_GZIP gzip REQUIRED)
  foreach(doc "qor-flipper.6:${CMAKE_INSTALL_MANDIR}/man6"
              "doc/changelog:${CMAKE_INSTALL_DATADIR}/doc/qor-flipper")
    string(REPLACE ":" ";" doc "${doc}")
    list(GET doc 0 source)
    list(GET doc 1 destination)
    get_filename_component(name "${source}" NAME)
    install(CODE "
      execute_process(COMMAND \"${QOR_GZIP}\" -n -9 -c
                      INPUT_FILE \"${CMAKE_CURRENT_LIST_DIR}/${source}\"
                      OUTPUT_FILE \"${CMAKE_CURRENT_BINARY_DIR}/${name}.gz\"
                      COMMAND_ERROR_IS_FATAL ANY)")
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz DESTINATION ${destination})
  endforeach()
endif()

# `cpack` makes an archive of the same tree, named after the project and its version.
set(CPACK_PACKAGE_NAME qor-flipper)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Olvarin")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Deals the FAC cards of the Korvane II boxing board game")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.olvarin.example/")
# An archive unless `cpack -G` says otherwise: a zip for Windows players.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR TGZ)
endif()
# What differs from one generator to the next is set there, when cpack runs each.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-generators.cmake)
if(NOT WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/package-deb.cmake)
endif()
include(CPack)
