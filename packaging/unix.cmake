# Linux and other POSIX systems: manual pages and AppStream metainfo beside
# the programs.

set(ZV_APPSTREAM_ID org.zvreader.ZVReader)
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
