# Builds the two probes of this folder: the downward one must build, the
# upward one must fail because its header is not found.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target floor_probe_down
                RESULT_VARIABLE _down OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
if(NOT _down EQUAL 0)
  message(FATAL_ERROR "the downward probe did not build:\n${_out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target floor_probe_up
                RESULT_VARIABLE _up OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
if(_up EQUAL 0)
  message(FATAL_ERROR "the ground floor included the application and still built")
endif()
if(NOT _out MATCHES "app/saver_app.h")
  message(FATAL_ERROR "the upward probe failed for another reason than the missing header:\n${_out}")
endif()
message(STATUS "the upward include was refused")
