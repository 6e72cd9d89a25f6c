list(APPEND CORE_SOURCES
  src/app/command_line.cpp
  src/app/json_writer.cpp
  src/app/result_document.cpp
  src/app/command_result.cpp
  src/app/command_table.cpp
  src/app/switch_characters.cpp
)
list(APPEND WIN_SOURCES
  src/app/TMainForm.cpp
  src/app/upgrade_menu.cpp
  src/app/console.cpp
  src/app/commands.cpp
  src/app/command_reply.cpp
  src/app/job_commands.cpp
  src/app/lock_wait.cpp
  src/app/settle_command.cpp
  src/app/run_facts.cpp
)
