# Every library makes its own folder, and only that, visible to what links it: its headers are
# reached as "<folder>/name.h" through a directory of the build tree that holds nothing but a link
# to the folder. A header of a library that is not on the link line is then not found, so the link
# lines are the layer map and an include that points up does not compile.
function(tintwell_export_folder target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
