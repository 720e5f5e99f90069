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

# For a folder shared by two libraries: only the headers named become visible to what links
# target, each through its own link, so the folder's other headers stay out of reach of a library
# that links this one alone.
function(tintwell_export_headers target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  # A build tree that exported the whole folder here before holds a link to it in this place; the
  # header links must not be written through it into the sources.
  if(IS_SYMLINK ${root}/${folder})
    file(REMOVE ${root}/${folder})
  endif()
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(header IN LISTS ARGN)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${root}/${folder}/${header} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
