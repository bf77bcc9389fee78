# Helpers shared by the subsystem folders.

# A folder that should hold sources but holds none is a mistake, not an
# empty library: stop the configuration and say which.
macro(cropstack_require_sources var)
  if(NOT ${var})
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}: no sources")
  endif()
endmacro()

# cropstack_library(<name> DEPS <targets...>)
# One static library per subsystem folder, made of every .cpp in that folder.
# The folder's parent is on the include path, so code includes "runtime/rtstring.h".
function(cropstack_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  cropstack_require_sources(sources)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# Mesa's GL driver is unloaded when a window closes, and leaks reported from
# an unloaded library lose their names, so no suppression can match them.
# Loaded up front for the sanitizer run, it stays mapped to the end.
if(CROPSTACK_SANITIZE)
  find_file(CROPSTACK_GL_DRIVER swrast_dri.so
            PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri /usr/lib/dri NO_DEFAULT_PATH)
  find_file(CROPSTACK_EGL_VENDOR libEGL_mesa.so.0
            PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE} /usr/lib NO_DEFAULT_PATH)
  set(CROPSTACK_SANITIZE_PRELOAD)
  foreach(lib ${CROPSTACK_GL_DRIVER} ${CROPSTACK_EGL_VENDOR})
    if(lib)
      list(APPEND CROPSTACK_SANITIZE_PRELOAD ${lib})
    endif()
  endforeach()
  string(REPLACE ";" ":" CROPSTACK_SANITIZE_PRELOAD "${CROPSTACK_SANITIZE_PRELOAD}")
endif()

# cropstack_test(<subsystem> DEPS <targets...>)
# One GoogleTest program per tests/<subsystem> folder; every test case is its
# own CTest entry, run headless with a timeout (the shared test entry picks
# the offscreen video and dummy sound drivers and a scratch $TMPDIR).
function(cropstack_test subsystem)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  cropstack_require_sources(sources)
  set(exe test_${subsystem})
  if(NOT TARGET cropstack_test_main)
    add_library(cropstack_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
    target_link_libraries(cropstack_test_main PUBLIC GTest::gtest)
  endif()
  add_executable(${exe} ${sources})
  target_include_directories(${exe} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${exe} PRIVATE ${ARG_DEPS} GTest::gtest cropstack_test_main)
  if(CROPSTACK_SANITIZE)
    # The sanitizers' settings go through a launcher: a list given as the
    # ENVIRONMENT of discovered tests reaches them as its first entry only.
    # Leaks stay reported for our code; only the graphics and sound stacks'
    # own allocations are suppressed.
    set(launcher env
        LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0
        UBSAN_OPTIONS=print_stacktrace=1)
    if(CROPSTACK_SANITIZE_PRELOAD)
      # Preloaded libraries come before the sanitizer runtime, which is fine here.
      list(APPEND launcher LD_PRELOAD=${CROPSTACK_SANITIZE_PRELOAD}
           ASAN_OPTIONS=verify_asan_link_order=0)
    endif()
    set_target_properties(${exe} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
  endif()
  gtest_discover_tests(${exe}
    WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
