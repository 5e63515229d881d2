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

# lockmere_xvfb_qtest(NAME SOURCES ... LIBS ...): a Qt Test program for windows
# with real X input (xdotool), run on its own Xvfb server (xvfb-run picks a
# free display). Such tests take turns: xvfb-run's choice of a display is not
# safe in parallel. No D-Bus: on a display without a session bus the library
# would start one of its own and leave it running. AddressSanitizer's strict
# string checks are off for them: the X keyboard library strndup()s names
# that are not NUL-terminated, which those checks report inside the library.
function(lockmere_xvfb_qtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  find_program(LOCKMERE_XVFB_RUN xvfb-run REQUIRED)
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE Qt6::Test lockmere_testsupport ${T_LIBS})
  lockmere_warnings(${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${name}
    COMMAND ${LOCKMERE_XVFB_RUN} -a -s "-screen 0 1280x800x24 -nolisten tcp" $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "xvfb;${T_LABELS}"
    RESOURCE_LOCK xvfb ENVIRONMENT "QT_QPA_PLATFORM=xcb;DBUS_SESSION_BUS_ADDRESS=disabled:"
    ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::strict_string_checks=0")
endfunction()
