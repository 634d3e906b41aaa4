# GoogleTest for both worlds: the host uses the system package, the Windows
# build compiles the sources that Debian's googletest package installs.
# Included before the project's warning flags, so GoogleTest builds with its own.
if(WIN32)
  set(KORVANE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
  if(NOT EXISTS ${KORVANE_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${KORVANE_GTEST_SOURCE_DIR} (Debian package: googletest)")
  endif()
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KORVANE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # GoogleTest 1.12 names its targets GTest::… itself; older sources do not.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# Under Wine, one session (X server, wineserver, desktop) serves the whole
# CTest run: the setup test opens it, the cleanup test closes it and stops
# every process it started. Without the fixture each test still runs, but
# pays for starting and stopping a session of its own.
if(CMAKE_CROSSCOMPILING AND WIN32 AND KORVANE_WINEPREFIX)
  set(KORVANE_WINE_FIXTURE wine_session)
  set(_wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${KORVANE_WINEPREFIX}
                --driver ${CMAKE_BINARY_DIR}/simulator/wdm)
  add_test(NAME wine_session_open COMMAND ${_wine_run} --open)
  add_test(NAME wine_session_close COMMAND ${_wine_run} --close)
  # The first open of a fresh prefix initialises it, which takes a while.
  set_tests_properties(wine_session_open PROPERTIES
    FIXTURES_SETUP ${KORVANE_WINE_FIXTURE} TIMEOUT 600 LABELS wine)
  set_tests_properties(wine_session_close PROPERTIES
    FIXTURES_CLEANUP ${KORVANE_WINE_FIXTURE} TIMEOUT 120 LABELS wine)
  unset(_wine_run)
endif()

# korvane_wine_tests(<test>...): tests added with plain add_test() that run a
# Windows program share the CTest run's Wine session. Does nothing on the host.
function(korvane_wine_tests)
  if(KORVANE_WINE_FIXTURE)
    set_property(TEST ${ARGN} APPEND PROPERTY FIXTURES_REQUIRED ${KORVANE_WINE_FIXTURE})
  endif()
endfunction()

# korvane_uses_desktop(<test>...): tests whose windows take the keyboard focus
# or show on the session's one display run one at a time. A window another test
# opens takes the focus away, and a value box that loses it mid-typing commits
# what it holds, as it should for a user.
function(korvane_uses_desktop)
  set_property(TEST ${ARGN} APPEND PROPERTY RESOURCE_LOCK korvane_desktop)
endfunction()

# korvane_uses_kernel_driver(<test>...): tests that reach the simulated
# X-Tamber through its kernel-mode driver, as the programs do: the in-process
# machine is switched off for them, and they take the driver's one machine in
# turn.
# The label "driver" of korvane_add_gtest declares it too; declaring it twice
# is harmless.
function(korvane_uses_kernel_driver)
  foreach(test ${ARGN})
    get_property(locks TEST ${test} PROPERTY RESOURCE_LOCK)
    if(NOT "korvane_simulated_driver" IN_LIST locks)
      set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT_MODIFICATION KORVANE_SIMULATOR=unset:)
      set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK korvane_simulated_driver)
    endif()
  endforeach()
endfunction()

# korvane_add_gtest(NAME <name> SOURCES <files...> LIBRARIES <libs...>
#                   [TIMEOUT <seconds>] [LABELS <labels...>])
# One test executable, one CTest entry; under the Windows build CTest runs it
# through the Wine wrapper (CMAKE_CROSSCOMPILING_EMULATOR). Windows tests run
# side by side unless their labels say what they share:
#   gui     makes windows, reads pixels or takes the focus: korvane_uses_desktop
#   driver  reaches the kernel-mode simulated driver: korvane_uses_kernel_driver
# A test that drives real X input also sets RUN_SERIAL.
function(korvane_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  if(NOT T_NAME OR NOT T_SOURCES)
    message(FATAL_ERROR "korvane_add_gtest needs NAME and SOURCES")
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} GTest::gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if("gui" IN_LIST T_LABELS)
    korvane_uses_desktop(${T_NAME})
  endif()
  if("driver" IN_LIST T_LABELS)
    korvane_uses_kernel_driver(${T_NAME})
  endif()
  korvane_wine_tests(${T_NAME})
endfunction()
