# Every Windows build checks the programs it ships: PE32 (i386) or PE32+ (x86-64) executables
# that import only DLLs of Windows itself, the installer a window program with its skin, its
# administrator manifest and a signature of the demo publisher (scripts/check-windows-exe.py). The build fails when
# one does not; with tests on, the same check is a test.
# Debian's python3-pefile serves Debian's own interpreter, not one found earlier on PATH.
find_program(CVD_PEFILE_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
execute_process(COMMAND ${CVD_PEFILE_PYTHON} -c "import pefile" RESULT_VARIABLE cvd_no_pefile
                OUTPUT_QUIET ERROR_QUIET)
if(cvd_no_pefile)
  message(FATAL_ERROR "${CVD_PEFILE_PYTHON} has no pefile: run bash scripts/setup-windows.sh")
endif()
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
# The installer is also a signed window program carrying its skin and administrator manifest.
set(cvd_exe_check ${CVD_PEFILE_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/check-windows-exe.py
                  --machine ${CVD_PE_MACHINE} ${cvd_exe_files}
                  --installer $<TARGET_FILE:cvdownloader> --signed $<TARGET_FILE:cvdownloader>
                  --ca ${CVD_DEMO_CA} --osslsigncode ${CVD_OSSLSIGNCODE})
set(cvd_exe_stamp ${CMAKE_BINARY_DIR}/windows-exe-check.stamp)
add_custom_command(
  OUTPUT ${cvd_exe_stamp}
  COMMAND ${cvd_exe_check}
  COMMAND ${CMAKE_COMMAND} -E touch ${cvd_exe_stamp}
  DEPENDS ${CVD_SHIPPED_PROGRAMS} ${CMAKE_SOURCE_DIR}/scripts/check-windows-exe.py ${CVD_DEMO_CA}
  COMMENT "Checking the shipped Windows programs"
  VERBATIM)
add_custom_target(windows_exe_check ALL DEPENDS ${cvd_exe_stamp})

if(BUILD_TESTING)
  add_test(NAME windows_exe_check COMMAND ${cvd_exe_check})
endif()
