list(APPEND CORE_SOURCES
  src/jobs/jobinfo.cpp
  src/jobs/joblist.cpp
  src/jobs/convert.cpp
)
list(APPEND WIN_SOURCES
  src/jobs/analysis.cpp
  src/jobs/split.cpp
  src/jobs/submit.cpp
  src/jobs/TConvertPBForm.cpp
)
