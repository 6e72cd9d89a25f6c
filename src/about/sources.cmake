list(APPEND CORE_SOURCES
)
list(APPEND WIN_SOURCES
  src/about/TAboutForm.cpp
)
