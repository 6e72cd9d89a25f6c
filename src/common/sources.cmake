list(APPEND CORE_SOURCES
  src/common/codes.cpp
  src/common/errors.cpp
  src/common/error_text.cpp
  src/common/long_path.cpp
  src/common/outcome.cpp
  src/common/paths.cpp
  src/common/product_keys.cpp
  src/common/text.cpp
  src/common/reg_text.cpp
  src/common/sha256.cpp
  src/common/refusals.cpp
  src/common/text_lines.cpp
  src/common/utf.cpp
)
list(APPEND WIN_SOURCES
  src/common/button_glyph.cpp
  src/common/clipboard.cpp
  src/common/command_gate.cpp
  src/common/fileio.cpp
  src/common/fileio_calls.cpp
  src/common/machine_lock.cpp
  src/common/message_later.cpp
  src/common/registry.cpp
  src/common/run_id.cpp
  src/common/system_dll.cpp
  src/common/window.cpp
)
