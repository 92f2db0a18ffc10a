# Which libraries each library brings in, all the way down, written at configure time for the
# test "layers" (LayerCheck.cmake): the configuration, the data files, the sheet and the report must reach
# no serial code, so that a program that only edits files never carries the link.

# torva_link_closure(target out): every library `target` links, directly or through others.
function(torva_link_closure target out)
  set(seen)
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    if(NOT TARGET ${current})
      continue()
    endif()
    get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(link AND NOT link IN_LIST seen)
        list(APPEND seen ${link})
        list(APPEND pending ${link})
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

set(contents "")
foreach(library torva_config torva_files torva_sheet torva_report torva_transfer)
  torva_link_closure(${library} closure)
  string(APPEND contents "set(${library}_links \"${closure}\")\n")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/link-interfaces.cmake "${contents}")
add_test(NAME layers COMMAND ${CMAKE_COMMAND} -DLINKS=${CMAKE_CURRENT_BINARY_DIR}/link-interfaces.cmake
                             -P ${CMAKE_CURRENT_SOURCE_DIR}/LayerCheck.cmake)
