list(APPEND CORE_SOURCES
)
list(APPEND WIN_SOURCES
  src/app/TMainForm.cpp
  src/app/untranslated.cpp
)
