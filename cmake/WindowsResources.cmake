# The Windows installer's resource table (res/windows/): the skin package as ZIPRES/138 (res/skin
# with the demo publisher CA in trust/ and the withdrawn certificate in trust/deny/, the same
# package the Linux build appends to its installer), the window icon as ICON/143, the manifest
# and a version resource from the project's version. The zip and the icon are made by Debian's
# python3 on the build machine, since the 32-bit build's own tools cannot run here.
enable_language(RC)
find_program(CVD_HOST_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
             REQUIRED)
set(CVD_RESOURCE_INPUTS ${CMAKE_SOURCE_DIR}/res/windows/resource_inputs.py)
set(CVD_WIN_ICON ${CMAKE_BINARY_DIR}/cvdownloader.ico)

# Staged and zipped where cmake/Skin.cmake puts the Linux build's package.
add_custom_command(
  OUTPUT ${CVD_SKIN_ZIP}
  ${CVD_SKIN_STAGE_COMMANDS}
  COMMAND ${CVD_HOST_PYTHON} ${CVD_RESOURCE_INPUTS} zip ${CVD_SKIN_STAGE} ${CVD_SKIN_ZIP}
  DEPENDS ${CVD_SKIN_STAGE_DEPENDS} ${CVD_RESOURCE_INPUTS}
  COMMENT "Packing the skin package"
  VERBATIM)

set(cvd_icon_pngs)
foreach(size 16 32 48 256)
  list(APPEND cvd_icon_pngs ${CMAKE_SOURCE_DIR}/res/icon/cvdownloader_${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${CVD_WIN_ICON}
  COMMAND ${CVD_HOST_PYTHON} ${CVD_RESOURCE_INPUTS} icon ${CVD_WIN_ICON} ${cvd_icon_pngs}
  DEPENDS ${cvd_icon_pngs} ${CVD_RESOURCE_INPUTS}
  COMMENT "Making the window icon"
  VERBATIM)
add_custom_target(cvd_windows_resource_inputs DEPENDS ${CVD_SKIN_ZIP} ${CVD_WIN_ICON})

# Compiles the installer's resource script into TARGET.
function(cvd_add_installer_resources target)
  set(CVD_RC_SKIN_ZIP ${CVD_SKIN_ZIP})
  set(CVD_RC_ICON ${CVD_WIN_ICON})
  set(CVD_RC_MANIFEST ${CMAKE_BINARY_DIR}/cvdownloader.manifest)
  string(REPLACE "." "," CVD_RC_VERSION_COMMAS "${PROJECT_VERSION}")
  configure_file(${CMAKE_SOURCE_DIR}/res/windows/cvdownloader.manifest ${CVD_RC_MANIFEST} @ONLY)
  set(script ${CMAKE_BINARY_DIR}/cvdownloader.rc)
  configure_file(${CMAKE_SOURCE_DIR}/res/windows/cvdownloader.rc.in ${script} @ONLY)
  target_sources(${target} PRIVATE ${script})
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${CVD_SKIN_ZIP} ${CVD_WIN_ICON}
                                                               ${CVD_RC_MANIFEST})
  add_dependencies(${target} cvd_windows_resource_inputs)
endfunction()
