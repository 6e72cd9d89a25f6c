# The stand-in submit client (tests/support/vorlatcpw): built beside win_tests.exe, where the
# program search of the tests' processes finds it, and copied by the demo beside the program.
# It is a test fixture and never goes into dist/.
add_executable(vorlatcpw WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/support/vorlatcpw/vorlatcpw.cpp)
target_link_options(vorlatcpw PRIVATE -municode)
target_link_libraries(vorlatcpw PRIVATE shell32)
set_target_properties(vorlatcpw PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
vorla_warnings(vorlatcpw)
vorla_test_code(vorlatcpw)
add_dependencies(win_tests vorlatcpw)

# What scripts/wine-ctest.sh starts before the tests: the prefix's desktop, held open.
add_executable(desktop_keeper WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/support/desktop_keeper/desktop_keeper.cpp)
target_link_options(desktop_keeper PRIVATE -municode)
target_link_libraries(desktop_keeper PRIVATE shell32)
set_target_properties(desktop_keeper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
