list(APPEND CORE_SOURCES
  src/config/backup_names.cpp
  src/config/change_plan.cpp
  src/config/barcode239.cpp
  src/config/check.cpp
  src/config/desired.cpp
  src/config/disk_after.cpp
  src/config/run_plan.cpp
  src/config/configure.cpp
  src/config/address_layout.cpp
  src/config/map_layout.cpp
  src/config/request.cpp
  src/config/show.cpp
  src/config/ok_glyph.cpp
)
list(APPEND WIN_SOURCES
  src/config/TConfigForm.cpp
  src/config/backup.cpp
  src/config/converge.cpp
  src/config/machine.cpp
  src/config/policy.cpp
  src/config/address_bitmap.cpp
  src/config/ok_glyph_image.cpp
  src/config/printers.cpp
)
