# The demo publisher's keys, made on this machine in the build tree (never in the sources): the
# CA the built installer trusts, the certificate the demo packages are signed with, and a
# withdrawn certificate the skin distrusts. Made once; later builds keep them.
set(CVD_KEY_DIR ${CMAKE_BINARY_DIR}/keys)
set(CVD_DEMO_CA ${CVD_KEY_DIR}/demo-ca.pem)
set(CVD_PUBLISHER_KEY ${CVD_KEY_DIR}/publisher.key)
set(CVD_PUBLISHER_CERT ${CVD_KEY_DIR}/publisher.pem)
set(CVD_WITHDRAWN_CERT ${CVD_KEY_DIR}/withdrawn.pem)
set(CVD_WITHDRAWN_KEY ${CVD_KEY_DIR}/withdrawn.key)
set(CVD_MAKE_KEYS ${CMAKE_SOURCE_DIR}/tools/sign-package/make-demo-keys.sh)
# Windows programs carry Authenticode signatures, which Wine checks only when made with RSA.
if(WIN32)
  set(CVD_KEY_ALGORITHM rsa)
else()
  set(CVD_KEY_ALGORITHM ec)
endif()

add_custom_command(
  OUTPUT ${CVD_DEMO_CA} ${CVD_PUBLISHER_KEY} ${CVD_PUBLISHER_CERT} ${CVD_WITHDRAWN_CERT}
         ${CVD_WITHDRAWN_KEY}
  COMMAND ${CVD_MAKE_KEYS} ${CVD_KEY_DIR} ${CVD_KEY_ALGORITHM}
  DEPENDS ${CVD_MAKE_KEYS}
  COMMENT "Making the demo publisher keys"
  VERBATIM)
add_custom_target(cvd_demo_keys DEPENDS ${CVD_DEMO_CA} ${CVD_PUBLISHER_KEY} ${CVD_PUBLISHER_CERT}
                                        ${CVD_WITHDRAWN_CERT})
