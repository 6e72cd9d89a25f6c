# The fleet guide's Ansible play and Wine inventory, taken out of docs/fleet.md, run by Debian's
# ansible-core against the Windows Installer package that Wine's msiexec installs into a fresh
# prefix of its own (so no lock: nothing else uses it).
add_test(NAME package.FleetGuidePlay
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/fleet_guide_check.py ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(package.FleetGuidePlay PROPERTIES LABELS package TIMEOUT 600)
