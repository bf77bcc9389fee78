# Helpers shared by the subsystem folders.

# A library whose folder has no sources yet still configures.
macro(cropstack_nonempty var)
  if(NOT ${var})
    set(_empty ${CMAKE_BINARY_DIR}/cropstack_empty.cpp)
    if(NOT EXISTS ${_empty})
      file(WRITE ${_empty} "// Placeholder for a library without sources yet.\n")
    endif()
    set(${var} ${_empty})
  endif()
endmacro()

# cropstack_library(<name> DEPS <targets...>)
# One static library per subsystem folder, made of every .cpp in that folder.
# The folder's parent is on the include path, so code includes "runtime/rtstring.h".
function(cropstack_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  cropstack_nonempty(sources)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# cropstack_test(<subsystem> DEPS <targets...>)
# One GoogleTest program per tests/<subsystem> folder; every test case is its
# own CTest entry, run headless with a timeout.
function(cropstack_test subsystem)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  cropstack_nonempty(sources)
  set(exe test_${subsystem})
  add_executable(${exe} ${sources})
  target_include_directories(${exe} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${exe} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${exe}
    WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT}
               ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy;CROPSTACK_TEST=1")
endfunction()
