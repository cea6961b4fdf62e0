# zvreader-cli's archive, fetched into from the simulated device and
# listed: more cases of the processes-over-a-pseudo-terminal program.
if(TARGET tools_end_to_end_test)
  target_sources(tools_end_to_end_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/archive_cli_test.cpp)
endif()
