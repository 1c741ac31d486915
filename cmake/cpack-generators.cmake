# Read by cpack once for each generator it runs (CPACK_PROJECT_CONFIG_FILE).
if(CPACK_GENERATOR STREQUAL "DEB")
  # Install with DESTDIR under the real prefix, so that what names a path (the menu entry's
  # launcher) names /usr/bin and not cpack's staging folder.
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX /usr)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # A package ships stripped binaries; the build keeps its symbols.
  set(CPACK_STRIP_FILES ON)
endif()
if(CPACK_GENERATOR STREQUAL "ZIP")
  # The Windows zip: stripped like the Debian package.
  set(CPACK_STRIP_FILES ON)
endif()
if(CPACK_GENERATOR STREQUAL "NSIS")
  # The setup program, stripped like the zip, and named for what it is beside it.
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
