# Everything that goes into the installed tree besides the programs, the
# language files and the icons (their own folders install those), and the
# Debian package that CPack builds from it: `cpack -G DEB` in a build folder
# (the package installs below /usr whatever prefix the build was configured with).

set(SONADEX_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(SONADEX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/sonadex-pro)

# Debian wants 0755 folders whatever the umask of the one who builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(FILES completions/sonadex-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME sonadex-cli)
install(FILES completions/_sonadex-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${SONADEX_PACKAGING_DIR}/io.github.sonadexpro.SonadexPro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SONADEX_PACKAGING_DIR}/copyright DESTINATION ${SONADEX_DOC_DIR})
# lintian reports no errors or warnings (scripts/check-package.sh): no overrides
# file. One would go to ${CMAKE_INSTALL_DATADIR}/lintian/overrides/sonadex-pro,
# each tag with the reason it does not apply.

# Debian wants man pages and the package's history (changelog.gz)
# compressed: maximally, with no name or time stamp, so two builds give the
# same bytes.
find_program(SONADEX_GZIP gzip REQUIRED)
set(gzip_outputs)
function(sonadex_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND ${SONADEX_GZIP} -9nc ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
  install(FILES ${output} DESTINATION ${destination})
  set(gzip_outputs ${gzip_outputs} ${output} PARENT_SCOPE)
endfunction()
foreach(program sonadex sonadex-cli sonadex-setup)
  sonadex_install_gzipped(${CMAKE_CURRENT_SOURCE_DIR}/man/${program}.1 ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
sonadex_install_gzipped(${SONADEX_PACKAGING_DIR}/changelog ${SONADEX_DOC_DIR})
add_custom_target(sonadex_packaging_files ALL DEPENDS ${gzip_outputs})

set(CPACK_PACKAGE_NAME sonadex-pro)
set(CPACK_PACKAGE_VENDOR "Sonadex Pro developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Sonadex Pro developers <sonadex-pro@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ID3v1 tag editor and renamer for MP3 collections")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${SONADEX_PACKAGING_DIR}/description.txt)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_PACKAGE_NAME sonadex-pro)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the rest is what the programs load
# at run time: the X11 platform plugin and the printout's Arial metrics.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
# Qt's own dialogs in German.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-utils")

include(CPack)
