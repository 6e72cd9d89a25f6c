# The fleet's PowerShell scripts in docs/fleet/, read as text against the package and the fleet guide.
add_test(NAME docs.FleetScripts
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/fleet_scripts_check.py ${PROJECT_SOURCE_DIR})
set_tests_properties(docs.FleetScripts PROPERTIES LABELS docs TIMEOUT 60)
