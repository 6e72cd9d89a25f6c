list(APPEND CORE_SOURCES
)
list(APPEND WIN_SOURCES
  src/config/TConfigForm.cpp
  src/config/upgrade.cpp
)
