# The branch header image read back by an independent reader (PIL from Debian's python3):
# a small probe renders each case under Wine, the script checks the files.
add_executable(address_bitmap_probe ${CMAKE_CURRENT_LIST_DIR}/probes/address_bitmap_probe.cpp)
target_link_libraries(address_bitmap_probe PRIVATE vorlawin)
target_link_options(address_bitmap_probe PRIVATE -municode)
vorla_warnings(address_bitmap_probe)
vorla_test_code(address_bitmap_probe)
add_test(NAME win.AddressBitmap.ReadBackWithPil
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/address_bitmap_check.py
                 --work ${CMAKE_CURRENT_BINARY_DIR}/address_bitmap_check
                 -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:address_bitmap_probe>)
set_tests_properties(win.AddressBitmap.ReadBackWithPil PROPERTIES LABELS win TIMEOUT 120)
