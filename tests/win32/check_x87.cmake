# Fails when an object of the i686 core does floating-point arithmetic on
# the x87 unit (whose extended precision would make outline samples round
# differently from x86_64). Run by the x87_check target:
#   cmake -DOBJDUMP=... -DOBJECTS=a.obj;b.obj;... -P check_x87.cmake
# The outline code (the spline sampling, the sine and cosine table, the
# grid's cell size) must be among the objects. x87 loads and stores stay
# allowed: on i686 a function such as sin returns its double in st(0),
# which the caller stores before SSE2 code takes it up; 80-bit loads and
# stores do not.
cmake_minimum_required(VERSION 3.25)
set(_outline spline_piece angle_table board_setup)
set(_allowed fld flds fldl fst fsts fstl fstp fstps fstpl fxch)
set(_checked 0)
foreach(_obj IN LISTS OBJECTS)
  get_filename_component(_name ${_obj} NAME)
  string(REGEX REPLACE "\\.cpp\\.obj$" "" _name "${_name}")
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${_obj} OUTPUT_VARIABLE _asm RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${_obj}")
  endif()
  string(REGEX MATCHALL "\n[ \t]*[0-9a-f]+:\t(f[a-z0-9]+)" _hits "${_asm}")
  set(_bad "")
  foreach(_hit IN LISTS _hits)
    string(REGEX REPLACE ".*\t" "" _op "${_hit}")
    if(NOT _op IN_LIST _allowed)
      list(APPEND _bad ${_op})
    endif()
  endforeach()
  if(_bad)
    list(REMOVE_DUPLICATES _bad)
    message(FATAL_ERROR "x87 arithmetic in ${_name}: ${_bad}")
  endif()
  if(_name IN_LIST _outline)
    math(EXPR _checked "${_checked} + 1")
  endif()
endforeach()
list(LENGTH _outline _want)
if(NOT _checked EQUAL _want)
  message(FATAL_ERROR "found ${_checked} of the ${_want} outline objects (${_outline}) to check")
endif()
list(LENGTH OBJECTS _count)
message(STATUS "no x87 arithmetic in the ${_count} objects of the core, outline code included")
