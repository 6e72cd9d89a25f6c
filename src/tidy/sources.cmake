list(APPEND WIN_SOURCES
  src/tidy/untranslated.cpp
)
