# Fails when the simulator's core needs anything from outside itself beyond
# the routines a kernel-mode driver also has (memcpy and its kin, the stack
# probe, and sanitizer or coverage hooks of instrumented builds).
# Run as: cmake -DNM=<nm> -DLIBRARY=<libsimulator_core.a> -P freestanding.cmake
execute_process(COMMAND ${NM} -u ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "U [^\n]+" undefined "${listing}")
set(foreign "")
foreach(entry IN LISTS undefined)
  string(SUBSTRING "${entry}" 2 -1 symbol)
  if(symbol MATCHES "^_ZN9simulator4core" OR
     symbol MATCHES "^(memcpy|memset|memmove|memcmp)$" OR
     symbol MATCHES "^_*(chkstk|chkstk_ms|stack_chk_fail|stack_chk_guard)$" OR
     symbol MATCHES "^__(asan|tsan|ubsan|sanitizer|gcov|llvm_gcov)_")
    continue()
  endif()
  list(APPEND foreign "${symbol}")
endforeach()
if(foreign)
  list(REMOVE_DUPLICATES foreign)
  message(FATAL_ERROR "simulator_core uses symbols a kernel-mode host lacks: ${foreign}")
endif()
