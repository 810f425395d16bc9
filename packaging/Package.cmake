# The Debian package of the program: bash scripts/package.sh builds build/ardoz_<version>_amd64.deb.
# It holds the program, its desktop entry and icons, its French manual page, its copyright and
# changelog; its dependencies are those dpkg-shlibdeps finds plus what is loaded at run time
# without a link naming it.
include(GNUInstallDirs)

set(ARDOZ_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(ARDOZ_PACKAGING_BUILD ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS ardoz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ARDOZ_PACKAGING}/ardoz.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ARDOZ_PACKAGING}/ardoz.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
    install(FILES ${ARDOZ_PACKAGING}/ardoz-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ardoz.png)
endforeach()
install(FILES ${ARDOZ_PACKAGING}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ardoz)
install(FILES ${ARDOZ_PACKAGING}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ardoz)

# Compressed as Debian wants them: the best compression, no name and no time stamp inside.
set(ARDOZ_COMPRESSED)
foreach(source ardoz.1 changelog)
    set(target ${source}.gz)
    add_custom_command(
        OUTPUT ${ARDOZ_PACKAGING_BUILD}/${target}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ARDOZ_PACKAGING_BUILD}
        COMMAND sh -c "gzip -9n -c '${ARDOZ_PACKAGING}/${source}' > '${ARDOZ_PACKAGING_BUILD}/${target}'"
        DEPENDS ${ARDOZ_PACKAGING}/${source}
        VERBATIM)
    list(APPEND ARDOZ_COMPRESSED ${ARDOZ_PACKAGING_BUILD}/${target})
endforeach()
add_custom_target(ardoz_package_files ALL DEPENDS ${ARDOZ_COMPRESSED})
install(FILES ${ARDOZ_PACKAGING_BUILD}/ardoz.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES ${ARDOZ_PACKAGING_BUILD}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ardoz)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ardoz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ardoz Prix de Transfert")
set(CPACK_PACKAGE_CONTACT "Ardoz Prix de Transfert <support@ardoz.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "déclaration annuelle des prix de transfert")
set(CPACK_PACKAGE_DESCRIPTION
    "Ardoz Prix de Transfert prépare la déclaration annuelle des prix de
transfert que les sociétés membres d'un groupe déposent auprès de
l'administration fiscale tunisienne : identification, liens en capital,
groupe et entité mère ultime, actifs, opérations avec les entreprises
liées, importation de tableurs, contrôle selon le schéma de
l'administration et écriture du fichier XML de la déclaration. Les
données sont dans une base Firebird 3, locale ou sur un serveur.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time without a link naming them: the embedded engine, Qt's display plugins
# (only recommended by Qt's own packages), Qt's French texts and the fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "firebird3.0-server-core, qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/cpack)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
include(CPack)
