function(vorla_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Werror=return-type
                         -Wno-cast-function-type -Wno-missing-field-initializers)
endfunction()
