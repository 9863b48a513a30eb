# List-valued properties for the tests gtest_discover_tests finds.
#
# gtest_discover_tests writes its PROPERTIES into the generated test file as one flat list, so a
# property holding a list (two labels, two locks) falls apart into bogus name/value pairs and the
# tests run with neither. These properties are applied after discovery instead, to the list of
# tests it found (its TEST_LIST, by default <target>_TESTS).
#
#   cvd_discover_tests(target [LABELS l...] [RESOURCE_LOCK r...] [gtest_discover_tests args...])
#
# A build may add to every discovery: CVD_DISCOVERY_ARGS (gtest_discover_tests arguments, after
# the caller's) and CVD_TEST_FIXTURES (fixtures every discovered test requires). The Windows
# build uses them for its tests under Wine (tests/WineTestStand.cmake).

# One lock for every test that installs or starts the demo product: its package lands in one work
# folder per machine, and the pre-install check looks for its process machine-wide, so a product
# another test left running turns that test's box into "the product is running".
set(CVD_DEMO_PRODUCT_LOCK cvd_demo_product)

function(cvd_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LABELS;RESOURCE_LOCK")
  gtest_discover_tests(${target} ${arg_UNPARSED_ARGUMENTS} ${CVD_DISCOVERY_ARGS})
  cvd_set_discovered_properties(${target} LABELS ${arg_LABELS} RESOURCE_LOCK ${arg_RESOURCE_LOCK})
endfunction()

# Applies list-valued properties (and CVD_TEST_FIXTURES) to the discovered tests of `target`,
# whose discovery was set up in the current directory or in DIRECTORY.
function(cvd_set_discovered_properties target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DIRECTORY" "LABELS;RESOURCE_LOCK")
  set(arg_FIXTURES_REQUIRED ${CVD_TEST_FIXTURES})
  set(properties "")
  foreach(property LABELS RESOURCE_LOCK FIXTURES_REQUIRED)
    if(arg_${property})
      string(APPEND properties " ${property} [==[${arg_${property}}]==]")
    endif()
  endforeach()
  if(properties STREQUAL "")
    return()
  endif()
  if(NOT arg_DIRECTORY)
    set(arg_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake")
  file(WRITE "${script}"
       "if(${target}_TESTS)\n"
       "  set_tests_properties(\${${target}_TESTS} PROPERTIES${properties})\n"
       "endif()\n")
  # Runs after the discovery's own include file, which defines the list.
  set_property(DIRECTORY ${arg_DIRECTORY} APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
