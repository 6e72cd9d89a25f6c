# The Ansible role of docs/fleet/ansible, run by Debian's ansible-core against localhost with the
# real vorlasched.com under Wine on the demo's branch machine (the prefix of win.BranchFixture,
# hence the lock). One test per row, named FleetPlaybook ("Ansi..." would join the ANSI-text
# tests). The check and check-diff rows need /whatif /json to say "changed" and to give each
# change its before and after.
foreach(row check check-diff run rerun refused)
  add_test(NAME win.FleetPlaybook.${row}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/ansible_check.py --row ${row}
                   --source ${PROJECT_SOURCE_DIR} --build ${CMAKE_BINARY_DIR}
                   --prefix ${CMAKE_BINARY_DIR}/branch-fixture-prefix)
  set_tests_properties(win.FleetPlaybook.${row} PROPERTIES LABELS win TIMEOUT 600 RESOURCE_LOCK branch-fixture-prefix)
endforeach()
