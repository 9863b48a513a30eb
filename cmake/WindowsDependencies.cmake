# The Windows build's libraries: static archives that scripts/setup-windows.sh built into the
# prefix the toolchain file searches (CVD_WINDOWS_DEPS_PREFIX). The XML, JSON and zip libraries
# take the target names the Linux build's pkg-config modules give them, so every target links
# the same way on both systems.
if(NOT EXISTS "${CVD_WINDOWS_DEPS_PREFIX}/.complete")
  message(FATAL_ERROR "No Windows libraries in ${CVD_WINDOWS_DEPS_PREFIX}: "
                      "run bash scripts/setup-windows.sh first")
endif()

find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(tinyxml2 CONFIG REQUIRED)
find_package(jsoncpp CONFIG REQUIRED)
find_package(libzip CONFIG REQUIRED)
find_package(CURL CONFIG REQUIRED)

add_library(PkgConfig::TINYXML2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::TINYXML2 INTERFACE tinyxml2::tinyxml2)

add_library(PkgConfig::JSONCPP INTERFACE IMPORTED)
target_link_libraries(PkgConfig::JSONCPP INTERFACE jsoncpp_static)

# zip.h declares its functions dllimport unless told the library is linked in.
add_library(PkgConfig::LIBZIP INTERFACE IMPORTED)
target_link_libraries(PkgConfig::LIBZIP INTERFACE libzip::zip)
target_compile_definitions(PkgConfig::LIBZIP INTERFACE ZIP_STATIC)

# easylogging++ (a header and one source file the program compiles) was copied into the prefix.
set(CVD_EASYLOGGING_DIR ${CVD_WINDOWS_DEPS_PREFIX}/include)
