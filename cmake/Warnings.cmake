# Our own targets build with warnings as errors; third-party code (GoogleTest) does not.
function(meridel_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
endfunction()

# The product itself needs neither exceptions nor run-time type information.
function(meridel_product_flags target)
  meridel_strict(${target})
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()
