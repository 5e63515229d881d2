# lockmere_idle: the idle watch (TJaribium, IdleWatch) and the binding of the
# hook library "LMIDHook.dll" (libLMIDHook.so, loaded by file name, never linked).
add_library(lockmere_idle STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IdleHook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IdleClock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Jaribium.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IdleWatch.cpp
)
target_include_directories(lockmere_idle PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(lockmere_idle PUBLIC platform_bus platform)
lockmere_warnings(lockmere_idle)
# Built with it: the hook library is loaded by file name at run time.
add_dependencies(lockmere_idle LMIDHook)
