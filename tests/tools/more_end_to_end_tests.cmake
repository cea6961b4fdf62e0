# More cases of the program that runs zvsim and zvreader-cli as processes
# over pseudo-terminals: the archive of transfers and the watch.
if(TARGET tools_end_to_end_test)
  target_sources(tools_end_to_end_test PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/archive_cli_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/watch_test.cpp)
endif()
