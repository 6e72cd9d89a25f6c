# "Configure Vorla" tests: the templates beside win_tests.exe (its program folder), copied from
# assets/dist on every build so that they match the sources, and the stand-in barcode fonts
# (tests/support/make-barcode-font.py) in config_form/ beside it, loaded privately by the tests.
add_custom_target(config_form_templates
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/assets/dist ${CMAKE_CURRENT_BINARY_DIR}
  COMMENT "Templates beside win_tests.exe")
set(CONFIG_FORM_FONTS ${CMAKE_CURRENT_BINARY_DIR}/config_form)
add_custom_command(
  OUTPUT ${CONFIG_FORM_FONTS}/barcode.ttf ${CONFIG_FORM_FONTS}/barcode-case.ttf
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CONFIG_FORM_FONTS}
  COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tests/support/make-barcode-font.py
          ${CONFIG_FORM_FONTS}/barcode.ttf "Free 3 of 9 Extended"
  COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tests/support/make-barcode-font.py
          ${CONFIG_FORM_FONTS}/barcode-case.ttf "free 3 of 9 extended"
  DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/make-barcode-font.py
  COMMENT "Stand-in barcode fonts for the configuration tests")
add_custom_target(config_form_fonts DEPENDS ${CONFIG_FORM_FONTS}/barcode.ttf ${CONFIG_FORM_FONTS}/barcode-case.ttf)
add_dependencies(win_tests config_form_templates config_form_fonts)

# The demo's branch machine (tests/support/branch-fixture.sh) on a prefix of its own, checked
# by the dialog's own machine checks.
add_executable(branch_fixture_probe ${CMAKE_CURRENT_LIST_DIR}/probes/branch_fixture_probe.cpp
               ${PROJECT_SOURCE_DIR}/src/app/resources.rc)
target_link_libraries(branch_fixture_probe PRIVATE win_test_support vorlawin)
target_link_options(branch_fixture_probe PRIVATE -municode)
vorla_warnings(branch_fixture_probe)
vorla_test_code(branch_fixture_probe)
add_dependencies(branch_fixture_probe config_form_templates)
add_test(NAME win.BranchFixture.ConfigureVorlaChecksPass
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/branch_fixture_check.sh ${CMAKE_BINARY_DIR}/branch-fixture-prefix
                 $<TARGET_FILE:branch_fixture_probe>)
set_tests_properties(win.BranchFixture.ConfigureVorlaChecksPass PROPERTIES LABELS win TIMEOUT 300)
