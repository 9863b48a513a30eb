# Authenticode signatures of the Windows programs, made with osslsigncode on the build machine
# with the demo publisher of cmake/Keys.cmake. The signature carries the publisher's certificate;
# the demo CA it chains to is the one the skin's trust/ holds.
#
# A second publisher with a CA of its own (keys/stranger/), which no skin trusts, signs what the
# tests need refused.
find_program(CVD_OSSLSIGNCODE osslsigncode NO_CMAKE_FIND_ROOT_PATH)
if(NOT CVD_OSSLSIGNCODE)
  message(FATAL_ERROR "the Windows build signs its programs with osslsigncode: "
                      "run bash scripts/setup-windows.sh")
endif()

set(CVD_STRANGER_KEY_DIR ${CVD_KEY_DIR}/stranger)
set(CVD_STRANGER_CA ${CVD_STRANGER_KEY_DIR}/demo-ca.pem)
set(CVD_STRANGER_KEY ${CVD_STRANGER_KEY_DIR}/publisher.key)
set(CVD_STRANGER_CERT ${CVD_STRANGER_KEY_DIR}/publisher.pem)
add_custom_command(
  OUTPUT ${CVD_STRANGER_CA} ${CVD_STRANGER_KEY} ${CVD_STRANGER_CERT}
  COMMAND ${CVD_MAKE_KEYS} ${CVD_STRANGER_KEY_DIR} ${CVD_KEY_ALGORITHM}
  DEPENDS ${CVD_MAKE_KEYS}
  COMMENT "Making the keys of a publisher no skin trusts"
  VERBATIM)
add_custom_target(cvd_stranger_keys DEPENDS ${CVD_STRANGER_CA} ${CVD_STRANGER_KEY}
                                            ${CVD_STRANGER_CERT})

# The command lines that write SIGNED, INPUT signed with KEY and CERT.
function(cvd_authenticode_commands out input signed key cert description)
  set(${out}
      COMMAND ${CMAKE_COMMAND} -E rm -f ${signed}
      COMMAND ${CVD_OSSLSIGNCODE} sign -certs ${cert} -key ${key} -h sha256 -n ${description}
              -in ${input} -out ${signed}
      PARENT_SCOPE)
endfunction()

# Signs the program of TARGET after each link with the demo publisher (osslsigncode writes a new
# file, which then takes the program's place).
function(cvd_sign_program target)
  set(program $<TARGET_FILE:${target}>)
  cvd_authenticode_commands(sign ${program} ${program}.signed ${CVD_PUBLISHER_KEY}
                            ${CVD_PUBLISHER_CERT} ${target})
  list(APPEND sign COMMAND ${CMAKE_COMMAND} -E rename ${program}.signed ${program})
  add_dependencies(${target} cvd_demo_keys)
  add_custom_command(TARGET ${target} POST_BUILD ${sign}
                     COMMENT "Signing ${target} with the demo publisher" VERBATIM)
endfunction()

# Makes OUTPUT, a copy of INPUT signed with KEY and CERT (by default the demo publisher's).
#   cvd_sign_file(OUTPUT out INPUT in [KEY key CERT cert] [DEPENDS ...])
function(cvd_sign_file)
  cmake_parse_arguments(arg "" "OUTPUT;INPUT;KEY;CERT" "DEPENDS" ${ARGN})
  if(NOT arg_KEY)
    set(arg_KEY ${CVD_PUBLISHER_KEY})
    set(arg_CERT ${CVD_PUBLISHER_CERT})
  endif()
  get_filename_component(name ${arg_OUTPUT} NAME)
  cvd_authenticode_commands(sign ${arg_INPUT} ${arg_OUTPUT} ${arg_KEY} ${arg_CERT} ${name})
  add_custom_command(
    OUTPUT ${arg_OUTPUT} ${sign}
    DEPENDS ${arg_INPUT} ${arg_KEY} ${arg_CERT} ${arg_DEPENDS}
    COMMENT "Signing ${name}"
    VERBATIM)
endfunction()
