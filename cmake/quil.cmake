# quil_program(<name> SOURCES ... [LIBS ...] [CONSOLE])
# A deliverable: the executable carries the upper-case file name the system
# uses (QUIL7.EXE, GDSOUT7.EXE, ...).
function(quil_program name)
  cmake_parse_arguments(P "CONSOLE" "" "SOURCES;LIBS" ${ARGN})
  if(P_CONSOLE)
    add_executable(${name} ${P_SOURCES})
  else()
    add_executable(${name} WIN32 ${P_SOURCES})
  endif()
  string(TOUPPER ${name} upper)
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${upper} SUFFIX ".EXE")
  target_link_libraries(${name} PRIVATE ${P_LIBS})
  # The installer's archive carries every program.
  set_property(GLOBAL APPEND PROPERTY QUIL_PROGRAMS ${name})
endfunction()

# quil_unit_test(<name> SOURCES ... LIBS ...): a GoogleTest program run by ctest.
function(quil_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME unit.${name} COMMAND ${name})
  set_tests_properties(unit.${name} PROPERTIES LABELS unit
    ENVIRONMENT "QUIL_SOURCE=${PROJECT_SOURCE_DIR}")
endfunction()

# quil_fuzzer(<name> SOURCES ... LIBS ... CORPUS <dir>): a libFuzzer target;
# ctest replays its seed corpus once, every input.
function(quil_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT QUIL_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  add_test(NAME fuzz.${name}
    COMMAND sh -c "$<TARGET_FILE:${name}> -runs=0 ${F_CORPUS}")
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz)
endfunction()
