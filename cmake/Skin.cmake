# The skin package: res/skin zipped and appended to the installer as resource ZIPRES/138, and
# the window icon as ICON/143.
set(CVD_SKIN_DIR ${CMAKE_SOURCE_DIR}/res/skin)
set(CVD_SKIN_ZIP ${CMAKE_BINARY_DIR}/skin.zip)
set(CVD_INSTALLER ${CMAKE_BINARY_DIR}/bin/cvdownloader)
set(CVD_ICON ${CMAKE_SOURCE_DIR}/res/icon/cvdownloader_256.png)

function(cvd_add_skinned_installer bare_target output)
  file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS ${CVD_SKIN_DIR}/*)
  add_custom_command(
    OUTPUT ${CVD_SKIN_ZIP}
    COMMAND cvd-res pack ${CVD_SKIN_DIR} ${CVD_SKIN_ZIP}
    DEPENDS cvd-res ${skin_files}
    COMMENT "Packing the skin package"
    VERBATIM)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${bare_target}> ${output}.tmp
    COMMAND cvd-res embed ${output}.tmp ${CVD_SKIN_ZIP}
    COMMAND cvd-res icon ${output}.tmp ${CVD_ICON}
    COMMAND ${CMAKE_COMMAND} -E rename ${output}.tmp ${output}
    DEPENDS ${bare_target} cvd-res ${CVD_SKIN_ZIP} ${CVD_ICON}
    COMMENT "Embedding the skin package into the installer"
    VERBATIM)
  add_custom_target(cvdownloader ALL DEPENDS ${output})
endfunction()
