# The technician's package: the dist step of the README's commands (make_dist, which runs
# scripts/package.sh) into a scratch folder of this build, then the zip's contents checked.
add_test(NAME package.TechnicianZip
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/package_check.py ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR}
                 ${PROJECT_VERSION})
set_tests_properties(package.TechnicianZip PROPERTIES LABELS package TIMEOUT 300)
