# One static library per engine subsystem, so that a subsystem and its tests
# build without the others.
function(lumenda_engine_subsystem name)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  # A subsystem still being written may have no source yet.
  set(_anchor ${CMAKE_CURRENT_BINARY_DIR}/${name}_anchor.cpp)
  if(NOT EXISTS ${_anchor})
    file(WRITE ${_anchor} "namespace lumenda { void ${name}_anchor() {} }\n")
  endif()
  add_library(lumenda_${name} STATIC ${_src} ${_anchor})
  target_include_directories(lumenda_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src/engine)
  target_link_libraries(lumenda_${name} PUBLIC ${ARGN} Threads::Threads)
  target_compile_definitions(lumenda_${name} PUBLIC
    LUMENDA_VERSION="${PROJECT_VERSION}")
endfunction()

function(lumenda_engine_tests dir name)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/${name}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(test_${name} ${_src})
  target_link_libraries(test_${name} PRIVATE lumenda_${name} lumenda_testsupport GTest::gtest GTest::gtest_main ${ARGN})
  gtest_discover_tests(test_${name}
    PROPERTIES ENVIRONMENT "LUMENDA_DIR=${CMAKE_BINARY_DIR}/test-home/${name}/"
    DISCOVERY_TIMEOUT 60)
endfunction()
