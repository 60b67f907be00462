# mosvik_floor(TARGET FOLDER [STATIC|OBJECT|INTERFACE] [DEPS lib...] [SOURCES file...])
#
# One folder of src/ as one library. Its headers are reached as
# "FOLDER/name.h" through an include root of its own under the build tree
# (a link to the folder and nothing else), so a file sees only the folders
# its library links: an include of a floor above fails to compile, which is
# how the build keeps the arrows pointing down. DEPS are the floors below
# that the folder uses; they are linked PUBLIC, as headers pass them on.
function(mosvik_floor target folder)
  cmake_parse_arguments(F "STATIC;OBJECT;INTERFACE" "" "DEPS;SOURCES" ${ARGN})
  string(REPLACE "/" "_" _root_name "${folder}")
  set(_root ${CMAKE_BINARY_DIR}/floors/${_root_name})
  get_filename_component(_parent ${_root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${_parent})
  if(NOT EXISTS ${_root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${_root}/${folder} SYMBOLIC)
  endif()
  if(F_INTERFACE)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${_root})
    target_link_libraries(${target} INTERFACE ${F_DEPS})
    return()
  endif()
  if(F_OBJECT)
    add_library(${target} OBJECT ${F_SOURCES})
  else()
    add_library(${target} STATIC ${F_SOURCES})
  endif()
  target_include_directories(${target} PUBLIC ${_root})
  target_link_libraries(${target} PUBLIC ${F_DEPS} PRIVATE mosvik_warnings)
endfunction()
