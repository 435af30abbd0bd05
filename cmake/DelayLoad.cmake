# Import libraries whose DLL is loaded on the first call into it instead of at start-up.
# The tool needs the common dialog library only for Load... and the DirectShow runtime only
# for an error box's text, so neither is worth loading before the dialog shows. Each
# library comes from a small .def file in cmake/delayload (the DLL and the functions the
# tool calls) through the toolchain's dlltool; the toolchain's run-time supplies the
# helper that loads the DLL and resolves the function on the first call.
#
# meridel_delay_import(<dll base name>) defines the target delay_<name>; link it in place
# of <name>.
if(NOT CMAKE_DLLTOOL)
  message(FATAL_ERROR "dlltool not found: it comes with the mingw-w64 binutils")
endif()

function(meridel_delay_import name)
  set(def ${PROJECT_SOURCE_DIR}/cmake/delayload/${name}.def)
  set(lib ${CMAKE_BINARY_DIR}/delayload/lib${name}_delay.a)
  add_custom_command(
    OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib ${lib}
    DEPENDS ${def}
    COMMENT "Delay-load import library for ${name}.dll"
    VERBATIM)
  add_custom_target(delay_${name}_lib DEPENDS ${lib})
  add_library(delay_${name} INTERFACE)
  target_link_libraries(delay_${name} INTERFACE ${lib})
  # Programs that link the interface library wait for the import library to exist.
  add_dependencies(delay_${name} delay_${name}_lib)
endfunction()
