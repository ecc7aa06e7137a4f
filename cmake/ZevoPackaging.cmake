# The Debian package ("cpack -G DEB" in the build folder): the installation tree
# under /opt/zevo (its layout unchanged), a /usr/bin/zevo link, and under /usr/share
# the desktop entry, icons, AppStream metadata, MIME type and the Debian documents.

# Every prefix but the staging tree is an installation: the program then keeps each
# user's data in that user's own folders (zevo/UserFolders.h).
set(ZEVO_STAGING_PREFIX "${CMAKE_SOURCE_DIR}/dist")
install(CODE "
  if(NOT CMAKE_INSTALL_PREFIX STREQUAL \"${ZEVO_STAGING_PREFIX}\")
    file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZEVO_BIN_DIR}/INSTALLED\"
      \"Installed tree: each user's data lives in \\\$XDG_DATA_HOME/zevo, logs in \\\$XDG_STATE_HOME/zevo.\\n\")
  endif()")

set(ZEVO_DESKTOP_DIR "${CMAKE_SOURCE_DIR}/install/desktop")
set(ZEVO_CHANGELOG_GZ "${CMAKE_BINARY_DIR}/package/changelog.gz")
set(ZEVO_MANPAGE_GZ "${CMAKE_BINARY_DIR}/package/zevo.1.gz")
foreach(pair "changelog;${ZEVO_CHANGELOG_GZ}" "zevo.1;${ZEVO_MANPAGE_GZ}")
  list(GET pair 0 source)
  list(GET pair 1 packed)
  add_custom_command(OUTPUT "${packed}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/package"
    COMMAND sh -c "gzip -9n < '${ZEVO_DESKTOP_DIR}/${source}' > '${packed}'"
    DEPENDS "${ZEVO_DESKTOP_DIR}/${source}" VERBATIM)
endforeach()
add_custom_target(zevo_package_files ALL DEPENDS "${ZEVO_CHANGELOG_GZ}" "${ZEVO_MANPAGE_GZ}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zevo)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "ZEVO maintainers <maintainers@users.noreply.c-seed-f55e722c.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal-income-tax registration declaration assistant")
set(CPACK_PACKAGE_DESCRIPTION
  "ZEVO prepares an organisation's personal-income-tax registration declaration:\n\
the list of individuals for whom it asks the tax office to issue tax codes. The\n\
declaration is filled in a spreadsheet-like grid, checked, saved, printed,\n\
exported to the exchange file and to Excel workbooks.")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/zevo)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "/opt/zevo/Bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Files outside the installation tree are added to the staged package by a script.
configure_file("${CMAKE_SOURCE_DIR}/cmake/ZevoPackageExtras.cmake.in"
  "${CMAKE_BINARY_DIR}/package/ZevoPackageExtras.cmake" @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_BINARY_DIR}/package/ZevoPackageExtras.cmake")
include(CPack)
