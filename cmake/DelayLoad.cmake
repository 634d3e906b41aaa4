# Delay-loaded system DLLs for a program built with mingw-w64:
#
#   delay_load_dlls(TARGET dll...)
#
# Each DLL named is loaded at the first call of one of its functions instead
# of by the loader before WinMain. Under Wine a DLL such as comdlg32 maps and
# initialises a dozen more, and the program pays for them at every start even
# when the user never opens a file dialog.
#
# For each DLL, cmake/delayload/DLL.def lists the functions the program calls;
# dlltool makes a delay-import library of them, lib<dll>.a, in a folder that
# the target's linker searches before the system's, so that every -l<dll> of
# the target and of the libraries it links finds it. A function missing from
# the .def file fails the link (undefined reference): add it there.
function(delay_load_dlls target)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-delayload)
  set(libraries)
  foreach(dll IN LISTS ARGN)
    set(definition ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def)
    set(library ${folder}/lib${dll}.a)
    add_custom_command(
      OUTPUT ${library}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${CMAKE_DLLTOOL} --input-def ${definition} --output-delaylib ${library}
              --dllname ${dll}.dll
      DEPENDS ${definition}
      COMMENT "Delay-import library for ${dll}.dll"
      VERBATIM)
    list(APPEND libraries ${library})
  endforeach()
  add_custom_target(${target}_delayload DEPENDS ${libraries})
  add_dependencies(${target} ${target}_delayload)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${libraries})
  target_link_directories(${target} PRIVATE ${folder})
  # The delay-import thunks call the helper of mingw-w64's libdelayimp; it is
  # asked for from the start, since its archive may come before theirs.
  target_link_options(${target} PRIVATE LINKER:--undefined=__delayLoadHelper2)
  target_link_libraries(${target} PRIVATE delayimp)
endfunction()
