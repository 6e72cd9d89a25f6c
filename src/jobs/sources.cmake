list(APPEND CORE_SOURCES
  src/jobs/jobinfo.cpp
  src/jobs/joblist.cpp
  src/jobs/convert.cpp
  src/jobs/submit_command.cpp
  src/jobs/report.cpp
  src/jobs/job_paths.cpp
  src/jobs/client_limit.cpp
  src/jobs/journal.cpp
)
list(APPEND WIN_SOURCES
  src/jobs/analysis.cpp
  src/jobs/split.cpp
  src/jobs/submit.cpp
  src/jobs/journal_file.cpp
  src/jobs/client_wait.cpp
  src/jobs/TConvertPBForm.cpp
)
