# Every Windows build checks the programs it ships: PE32 (i386) or PE32+ (x86-64) executables
# that import only DLLs of Windows itself (scripts/check-windows-exe.py). The build fails when
# one does not; with tests on, the same check is a test.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CVD_PE_MACHINE x86-64)
else()
  set(CVD_PE_MACHINE i386)
endif()
set(CVD_SHIPPED_PROGRAMS cvd-fetch cvdownloader)

set(cvd_exe_files)
foreach(program ${CVD_SHIPPED_PROGRAMS})
  list(APPEND cvd_exe_files $<TARGET_FILE:${program}>)
endforeach()
set(cvd_exe_check ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-windows-exe.py
                  --machine ${CVD_PE_MACHINE} ${cvd_exe_files})
set(cvd_exe_stamp ${CMAKE_BINARY_DIR}/windows-exe-check.stamp)
add_custom_command(
  OUTPUT ${cvd_exe_stamp}
  COMMAND ${cvd_exe_check}
  COMMAND ${CMAKE_COMMAND} -E touch ${cvd_exe_stamp}
  DEPENDS ${CVD_SHIPPED_PROGRAMS} ${CMAKE_SOURCE_DIR}/scripts/check-windows-exe.py
  COMMENT "Checking the shipped Windows programs"
  VERBATIM)
add_custom_target(windows_exe_check ALL DEPENDS ${cvd_exe_stamp})

if(BUILD_TESTING)
  add_test(NAME windows_exe_check COMMAND ${cvd_exe_check})
endif()
