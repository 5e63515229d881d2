# lockmere_gtest(NAME SOURCES ... LIBS ...): a GoogleTest program whose tests
# are registered one by one in ctest. Every test process gets its own
# LOCKMERE_HOME (see tests/support/TestMain.cpp).
function(lockmere_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE lockmere_testmain GTest::gtest ${T_LIBS})
  lockmere_warnings(${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()

# lockmere_qtest(NAME SOURCES ... LIBS ...): a Qt Test program for windows,
# run offscreen.
function(lockmere_qtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE Qt6::Test lockmere_testsupport ${T_LIBS})
  lockmere_warnings(${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
