list(APPEND CORE_SOURCES
)
list(APPEND WIN_SOURCES
  src/about/TAboutForm.cpp
  src/about/file_version.cpp
)
