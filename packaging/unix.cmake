# Linux and other POSIX systems: manual pages and AppStream metainfo beside
# the programs, and the Debian package built by CPack from every install
# rule of the tree (cpack -G DEB in the build directory).

option(ZV_DEBIAN_PACKAGE
       "Install the files only the Debian package carries: copyright, changelog, README.Debian, lintian overrides"
       OFF)

set(ZV_APPSTREAM_ID org.zvreader.ZVReader)
set(ZV_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/zvreader)
set(ZV_PACKAGING_OUT ${CMAKE_CURRENT_BINARY_DIR}/out)

# Manual pages, compressed as man expects them in a package, for each
# program this build makes.
set(ZV_MAN_PAGES "")
foreach(program zvreader zvreader-cli zvsim)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(page ${ZV_PACKAGING_OUT}/${program}.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz
                     COMMAND gzip -9nkf ${page}
                     DEPENDS ${page}
                     VERBATIM)
  list(APPEND ZV_MAN_PAGES ${page}.gz)
endforeach()
add_custom_target(zv_man_pages ALL DEPENDS ${ZV_MAN_PAGES})
install(FILES ${ZV_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(TARGET zvreader)
  configure_file(${PROJECT_SOURCE_DIR}/res/zvreader.metainfo.xml.in
                 ${ZV_PACKAGING_OUT}/${ZV_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${ZV_PACKAGING_OUT}/${ZV_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

if(ZV_DEBIAN_PACKAGE)
  # A native package: its changelog is changelog.gz, dated in the form
  # Debian's changelog requires.
  execute_process(COMMAND date -u -R -d ${ZV_RELEASE_DATE}
                  OUTPUT_VARIABLE ZV_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  configure_file(debian/changelog.in ${ZV_PACKAGING_OUT}/changelog @ONLY)
  add_custom_command(OUTPUT ${ZV_PACKAGING_OUT}/changelog.gz
                     COMMAND gzip -9nkf ${ZV_PACKAGING_OUT}/changelog
                     DEPENDS ${ZV_PACKAGING_OUT}/changelog
                     VERBATIM)
  add_custom_target(zv_debian_changelog ALL DEPENDS ${ZV_PACKAGING_OUT}/changelog.gz)
  install(FILES ${ZV_PACKAGING_OUT}/changelog.gz debian/copyright debian/README.Debian
          DESTINATION ${ZV_DOCDIR})
  install(FILES debian/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zvreader)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zvreader)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${ZV_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "${ZV_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fetch the stored tests of a ZORVEL spirometer")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_CURRENT_SOURCE_DIR}/debian/description)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Depends from the libraries the programs link (dpkg-shlibdeps). Qt's own
# translations are loaded at run time: without them the file chooser of
# the Polish variant speaks English.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET zvreader)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
