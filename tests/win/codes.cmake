# The catalogue of codes against the fleet guide's tables and the schema's enum: a probe prints the
# catalogue under Wine, the script compares.
add_executable(code_catalogue_probe ${CMAKE_CURRENT_LIST_DIR}/probes/code_catalogue_probe.cpp)
target_link_libraries(code_catalogue_probe PRIVATE vorlacore)
vorla_warnings(code_catalogue_probe)
vorla_test_code(code_catalogue_probe)
add_test(NAME win.Codes.FleetGuideAndSchemaFollowTheCatalogue
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/codes_check.py --source ${PROJECT_SOURCE_DIR}
                 -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:code_catalogue_probe>)
set_tests_properties(win.Codes.FleetGuideAndSchemaFollowTheCatalogue PROPERTIES LABELS win TIMEOUT 120)
