# 64-bit Windows: the installer (NSIS) and the zip, both holding the
# stripped programs of this build. `cmake --build . --target windows_packages`
# writes them into packages/ of the build directory.

if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8 OR NOT TARGET zvreader-cli OR NOT CMAKE_STRIP)
  return()
endif()

find_program(ZV_MAKENSIS makensis)
if(NOT ZV_MAKENSIS)
  message(STATUS "makensis not found: no Windows installer (Debian: nsis)")
  return()
endif()

set(ZV_WIN_NAME ZVReader-${PROJECT_VERSION})
set(ZV_WIN_STAGE ${CMAKE_CURRENT_BINARY_DIR}/${ZV_WIN_NAME})
set(ZV_WIN_OUT ${PROJECT_BINARY_DIR}/packages)
set(ZV_WIN_SETUP ${ZV_WIN_OUT}/${ZV_WIN_NAME}-setup.exe)
set(ZV_WIN_ZIP ${ZV_WIN_OUT}/${ZV_WIN_NAME}-win64.zip)

# The dialog goes in whenever this build makes it.
set(ZV_WIN_PROGRAMS zvreader-cli)
set(ZV_NSIS_DEFINES "")
if(TARGET zvreader)
  list(PREPEND ZV_WIN_PROGRAMS zvreader)
  list(APPEND ZV_NSIS_DEFINES -DDIALOG)
endif()

set(ZV_WIN_STRIP_COMMANDS "")
foreach(program IN LISTS ZV_WIN_PROGRAMS)
  list(APPEND ZV_WIN_STRIP_COMMANDS
       COMMAND ${CMAKE_STRIP} -o ${ZV_WIN_STAGE}/${program}.exe $<TARGET_FILE:${program}>)
endforeach()

set(ZV_NSIS_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/windows/zvreader.nsi)
add_custom_command(
  OUTPUT ${ZV_WIN_SETUP} ${ZV_WIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZV_WIN_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZV_WIN_STAGE} ${ZV_WIN_OUT}
  ${ZV_WIN_STRIP_COMMANDS}
  COMMAND ${ZV_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
          -DVERSION=${PROJECT_VERSION} "-DPUBLISHER=${ZV_PUBLISHER}"
          -DPROGRAMS=${ZV_WIN_STAGE} -DICON=${PROJECT_SOURCE_DIR}/res/icons/zvreader.ico
          -DOUTFILE=${ZV_WIN_SETUP} ${ZV_NSIS_DEFINES} ${ZV_NSIS_SCRIPT}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ZV_WIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZV_WIN_ZIP} --format=zip ${ZV_WIN_NAME}
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DEPENDS ${ZV_WIN_PROGRAMS} ${ZV_NSIS_SCRIPT}
  COMMENT "Windows installer and zip of ZVReader ${PROJECT_VERSION}"
  VERBATIM)
add_custom_target(windows_packages DEPENDS ${ZV_WIN_SETUP} ${ZV_WIN_ZIP})
