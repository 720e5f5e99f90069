# Every target of ours links this; warnings stay at zero.
add_library(tintwell_warnings INTERFACE)
add_library(tintwell::warnings ALIAS tintwell_warnings)
target_compile_options(tintwell_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
  # The palette and the statistics depend on every intermediate being rounded where it is
  # stored; a fused multiply-add would skip one of those roundings.
  -ffp-contract=off)
if(TINTWELL_WERROR)
  target_compile_options(tintwell_warnings INTERFACE -Werror)
endif()
