# The skin package: res/skin, with the demo publisher CA in trust/ and the withdrawn certificate in
# trust/deny/, zipped and appended to the installer as resource ZIPRES/138, and the window icon
# as ICON/143. A build thus trusts exactly the CA it made.
set(CVD_SKIN_DIR ${CMAKE_SOURCE_DIR}/res/skin)
set(CVD_SKIN_STAGE ${CMAKE_BINARY_DIR}/skin)
set(CVD_SKIN_ZIP ${CMAKE_BINARY_DIR}/skin.zip)
set(CVD_INSTALLER ${CMAKE_BINARY_DIR}/bin/cvdownloader)
set(CVD_ICON ${CMAKE_SOURCE_DIR}/res/icon/cvdownloader_256.png)

# The commands that stage the package's files (the Windows build zips the same stage), and what
# they read.
file(GLOB_RECURSE cvd_skin_files CONFIGURE_DEPENDS ${CVD_SKIN_DIR}/*)
set(CVD_SKIN_STAGE_COMMANDS
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CVD_SKIN_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CVD_SKIN_DIR} ${CVD_SKIN_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy ${CVD_DEMO_CA} ${CVD_SKIN_STAGE}/trust/demo-ca.pem
    COMMAND ${CMAKE_COMMAND} -E copy ${CVD_WITHDRAWN_CERT} ${CVD_SKIN_STAGE}/trust/deny/withdrawn.pem)
set(CVD_SKIN_STAGE_DEPENDS ${cvd_skin_files} cvd_demo_keys ${CVD_DEMO_CA} ${CVD_WITHDRAWN_CERT})

function(cvd_add_skinned_installer bare_target output)
  add_custom_command(
    OUTPUT ${CVD_SKIN_ZIP}
    ${CVD_SKIN_STAGE_COMMANDS}
    COMMAND cvd-res pack ${CVD_SKIN_STAGE} ${CVD_SKIN_ZIP}
    DEPENDS cvd-res ${CVD_SKIN_STAGE_DEPENDS}
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
