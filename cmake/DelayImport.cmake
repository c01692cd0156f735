# Import libraries whose functions are bound on first call rather than at
# start: zel_delay_import(<target> <name>) links <target> to a delay-import
# library made from cmake/delay/<name>.def, which lists every function
# taken from the DLL (a function missing there fails the link).
find_program(ZEL_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool dlltool REQUIRED)
function(zel_delay_import target name)
  set(def ${PROJECT_SOURCE_DIR}/cmake/delay/${name}.def)
  set(lib ${PROJECT_BINARY_DIR}/delay/lib${name}_delay.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/delay
    COMMAND ${ZEL_DLLTOOL} --input-def ${def} --output-delaylib ${lib} --dllname ${name}.dll
    DEPENDS ${def}
    VERBATIM)
  add_custom_target(zel_delay_${name} DEPENDS ${lib})
  add_dependencies(${target} zel_delay_${name})
  target_link_libraries(${target} PUBLIC ${lib})
endfunction()
