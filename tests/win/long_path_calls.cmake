# Every path call of the file layer in the long-path form: read from the source, since Wine
# reaches long paths without it.
add_test(NAME win.Files.EveryPathCallTakesTheLongForm
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/long_path_calls_check.py
                 ${PROJECT_SOURCE_DIR}/src/common/fileio_calls.cpp)
set_tests_properties(win.Files.EveryPathCallTakesTheLongForm PROPERTIES LABELS win TIMEOUT 60)
