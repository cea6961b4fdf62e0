# zvreader-cli under bad command lines, unusable files and vanishing
# devices, run as a process.
if(NOT WIN32 AND TARGET zvreader-cli)
  zv_tool_test(faults_cli_test faults_cli_test.cpp child_process_posix.cpp)
  target_compile_definitions(faults_cli_test PRIVATE ZVREADER_CLI_PATH="$<TARGET_FILE:zvreader-cli>")
  add_dependencies(faults_cli_test zvreader-cli)
endif()
