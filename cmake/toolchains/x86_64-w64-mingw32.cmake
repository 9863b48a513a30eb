# Cross build for Windows with mingw-w64 (x86_64). Used by the windows-* presets and by
# scripts/setup-windows.sh for the third-party libraries.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CVD_WINDOWS_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
