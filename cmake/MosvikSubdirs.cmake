# mosvik_add_subdirectories(): adds every child folder of the current source
# folder that has a CMakeLists.txt (limited to MOSVIK_ONLY when that is set).
function(mosvik_add_subdirectories)
  file(GLOB _dirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(_d ${_dirs})
    get_filename_component(_n ${_d} NAME)
    if(IS_DIRECTORY ${_d} AND EXISTS ${_d}/CMakeLists.txt AND (NOT MOSVIK_ONLY OR _n IN_LIST MOSVIK_ONLY))
      add_subdirectory(${_d})
    endif()
  endforeach()
endfunction()
