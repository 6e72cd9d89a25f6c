# What a security review asks of the shipped files (security_check.sh): imports of KnownDLLs
# only, every file signed and verified, and two builds of the commit in two folders alike.
foreach(check imports signatures reproducible)
  add_test(NAME security.${check}
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/security_check.sh ${check} ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(security.${check} PROPERTIES LABELS package TIMEOUT 900)
endforeach()
