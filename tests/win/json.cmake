# The /json documents of every command, through the real vorlasched.com on the demo's branch
# machine (tests/support/branch-fixture.sh, the prefix of win.BranchFixture, hence the lock),
# validated against docs/fleet/vorlasched-result.schema.json by Debian's python3-jsonschema.
add_test(NAME win.Json.EveryCommandAnswersInTheSchema
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/json_check.py
                 --source ${PROJECT_SOURCE_DIR} --build ${CMAKE_BINARY_DIR}
                 --prefix ${CMAKE_BINARY_DIR}/branch-fixture-prefix --version ${PROJECT_VERSION})
set_tests_properties(win.Json.EveryCommandAnswersInTheSchema PROPERTIES LABELS win TIMEOUT 600
                     RESOURCE_LOCK branch-fixture-prefix)
set_tests_properties(win.BranchFixture.ConfigureVorlaChecksPass PROPERTIES RESOURCE_LOCK branch-fixture-prefix)
