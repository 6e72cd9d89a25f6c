# The Windows Installer package: make_dist's .msi (and a newer one built from the same files)
# installed, upgraded and removed by Wine's msiexec on a prefix of its own, so that its machine-wide
# writes never meet the other tests.
add_test(NAME package.WindowsInstaller
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/installer_check.py ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(package.WindowsInstaller PROPERTIES LABELS package TIMEOUT 300)
