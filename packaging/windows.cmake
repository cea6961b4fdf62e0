# 64-bit Windows: the installer (NSIS), the Windows Installer package (wixl)
# and the zip, all holding the stripped programs of this build.
# `cmake --build . --target windows_packages` writes them into packages/ of
# the build directory.

if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8 OR NOT TARGET zvreader-cli OR NOT CMAKE_STRIP)
  return()
endif()

find_program(ZV_MAKENSIS makensis)
find_program(ZV_ZIP zip)
if(NOT ZV_MAKENSIS OR NOT ZV_ZIP)
  message(STATUS "makensis or zip not found: no Windows packages (Debian: nsis, zip)")
  return()
endif()
find_program(ZV_WIXL wixl)
if(NOT ZV_WIXL)
  message(STATUS "wixl not found: no Windows Installer package (Debian: wixl)")
endif()

set(ZV_WIN_NAME ZVReader-${PROJECT_VERSION})
set(ZV_WIN_STAGE ${CMAKE_CURRENT_BINARY_DIR}/${ZV_WIN_NAME})
set(ZV_WIN_OUT ${PROJECT_BINARY_DIR}/packages)
set(ZV_WIN_SETUP ${ZV_WIN_OUT}/${ZV_WIN_NAME}-setup.exe)
set(ZV_WIN_ZIP ${ZV_WIN_OUT}/${ZV_WIN_NAME}-win64.zip)
set(ZV_WIN_MSI ${ZV_WIN_OUT}/${ZV_WIN_NAME}-x64.msi)
set(ZV_ICON ${PROJECT_SOURCE_DIR}/res/icons/zvreader.ico)

# The dialog goes in whenever this build makes it.
set(ZV_WIN_PROGRAMS zvreader-cli)
set(ZV_NSIS_DEFINES "")
set(ZV_WIXL_DEFINES "")
if(TARGET zvreader)
  list(PREPEND ZV_WIN_PROGRAMS zvreader)
  list(APPEND ZV_NSIS_DEFINES -DDIALOG)
  list(APPEND ZV_WIXL_DEFINES -D Dialog=1)
endif()

set(ZV_WIN_STAGED "")
set(ZV_WIN_MEMBERS ${ZV_WIN_NAME}/)
set(ZV_WIN_STRIP_COMMANDS "")
foreach(program IN LISTS ZV_WIN_PROGRAMS)
  list(APPEND ZV_WIN_STAGED ${ZV_WIN_STAGE}/${program}.exe)
  list(APPEND ZV_WIN_MEMBERS ${ZV_WIN_NAME}/${program}.exe)
  list(APPEND ZV_WIN_STRIP_COMMANDS
       COMMAND ${CMAKE_STRIP} -o ${ZV_WIN_STAGE}/${program}.exe $<TARGET_FILE:${program}>)
endforeach()
list(SORT ZV_WIN_MEMBERS)

# The same bytes from the same sources: with SOURCE_DATE_EPOCH (the time of
# the release's commit, set by scripts/package) every file in the packages
# carries that time, and the same permissions whatever the umask.
set(ZV_WIN_TIME_COMMAND "")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ZV_WIN_TIME_COMMAND COMMAND touch -d @$ENV{SOURCE_DATE_EPOCH} ${ZV_WIN_STAGED} ${ZV_WIN_STAGE})
endif()

add_custom_command(
  OUTPUT ${ZV_WIN_STAGED}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZV_WIN_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZV_WIN_STAGE} ${ZV_WIN_OUT}
  ${ZV_WIN_STRIP_COMMANDS}
  COMMAND chmod 0755 ${ZV_WIN_STAGE} ${ZV_WIN_STAGED}
  ${ZV_WIN_TIME_COMMAND}
  DEPENDS ${ZV_WIN_PROGRAMS}
  COMMENT "Stripped Windows programs of ZVReader ${PROJECT_VERSION}"
  VERBATIM)

set(ZV_NSIS_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/windows/zvreader.nsi)
add_custom_command(
  OUTPUT ${ZV_WIN_SETUP}
  COMMAND ${ZV_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
          -DVERSION=${PROJECT_VERSION} "-DPUBLISHER=${ZV_PUBLISHER}"
          -DPROGRAMS=${ZV_WIN_STAGE} -DICON=${ZV_ICON}
          -DOUTFILE=${ZV_WIN_SETUP} ${ZV_NSIS_DEFINES} ${ZV_NSIS_SCRIPT}
  DEPENDS ${ZV_WIN_STAGED} ${ZV_NSIS_SCRIPT}
  COMMENT "Windows installer of ZVReader ${PROJECT_VERSION}"
  VERBATIM)

# The folder and its programs in a fixed order, with neither the owner nor
# the time of access in the members (-X); their times in UTC.
add_custom_command(
  OUTPUT ${ZV_WIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ZV_WIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZV_ZIP} -q -X ${ZV_WIN_ZIP} ${ZV_WIN_MEMBERS}
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DEPENDS ${ZV_WIN_STAGED}
  COMMENT "Zip of the Windows programs of ZVReader ${PROJECT_VERSION}"
  VERBATIM)

set(ZV_WIN_PACKAGES ${ZV_WIN_SETUP} ${ZV_WIN_ZIP})
if(ZV_WIXL)
  # Windows Installer compares the first three numbers of a version; the
  # package tells a later fourth number from the registry (zvreader.wxs).
  set(tweak ${PROJECT_VERSION_TWEAK})
  if(tweak STREQUAL "")
    set(tweak 0)
  endif()
  math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
  # wixl finds its sources only by paths relative to where it runs.
  file(RELATIVE_PATH icon ${CMAKE_CURRENT_BINARY_DIR} ${ZV_ICON})
  set(ZV_WXS ${CMAKE_CURRENT_SOURCE_DIR}/windows/zvreader.wxs)
  add_custom_command(
    OUTPUT ${ZV_WIN_MSI}
    COMMAND ${ZV_WIXL} --arch x64 -o ${ZV_WIN_MSI}
            -D Version=${PROJECT_VERSION} -D Tweak=${tweak}
            -D NextRelease=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch}
            -D "Publisher=${ZV_PUBLISHER}" -D Programs=${ZV_WIN_NAME} -D Icon=${icon}
            ${ZV_WIXL_DEFINES} ${ZV_WXS}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS ${ZV_WIN_STAGED} ${ZV_WXS} ${ZV_ICON}
    COMMENT "Windows Installer package of ZVReader ${PROJECT_VERSION}"
    VERBATIM)
  list(APPEND ZV_WIN_PACKAGES ${ZV_WIN_MSI})
endif()
add_custom_target(windows_packages DEPENDS ${ZV_WIN_PACKAGES})
