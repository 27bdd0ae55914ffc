# Small helpers so that every subsystem, test and benchmark is declared the same way.

set(KIV_WARNINGS -Wall -Wextra)

set(KIV_SANITIZE_FLAGS "")
if(KIV_SANITIZE STREQUAL "thread")
  set(KIV_SANITIZE_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  # Boost.Asio uses atomic_thread_fence, which gcc warns TSan does not model; the pools guard
  # their state with mutexes, so the warning is noise.
  add_compile_options(-Wno-tsan)
elseif(KIV_SANITIZE STREQUAL "address")
  set(KIV_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(NOT KIV_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KIV_SANITIZE must be empty, 'thread' or 'address'")
endif()
if(KIV_SANITIZE_FLAGS)
  add_compile_options(${KIV_SANITIZE_FLAGS})
  add_link_options(${KIV_SANITIZE_FLAGS})
endif()

# Every test executable that runs under the sanitizer builds hangs off this target.
if(NOT TARGET kiv_sanitize_tests)
  add_custom_target(kiv_sanitize_tests)
endif()

# kiv_add_library(<subsystem> SOURCES ... [DEPS ...])
# Builds the static library kiv_<subsystem> (alias kiv::<subsystem>); headers are included as
# "kiv/<subsystem>/<file>.h".
function(kiv_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(kiv_${name} STATIC ${ARG_SOURCES})
  add_library(kiv::${name} ALIAS kiv_${name})
  target_include_directories(kiv_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/src)
  target_compile_options(kiv_${name} PRIVATE ${KIV_WARNINGS})
  target_link_libraries(kiv_${name} PUBLIC ${ARG_DEPS} Threads::Threads PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# kiv_add_test(<target> SOURCES ... [DEPS ...] [SANITIZE] [LABELS ...])
# A GoogleTest executable whose cases are registered with CTest. SANITIZE puts it in the
# sanitizer builds (scripts/test --sanitize).
function(kiv_add_test target)
  cmake_parse_arguments(ARG "SANITIZE" "" "SOURCES;DEPS;LABELS" ${ARGN})
  if(KIV_SANITIZE AND NOT ARG_SANITIZE)
    return()
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${KIV_WARNINGS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(labels ${ARG_LABELS})
  if(ARG_SANITIZE)
    list(APPEND labels sanitize)
    add_dependencies(kiv_sanitize_tests ${target})
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" TIMEOUT 300)
endfunction()

# kiv_add_benchmark(<target> SOURCES ... [DEPS ...])
function(kiv_add_benchmark target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${KIV_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()

# Adds every immediate sub-folder of the current folder that has a CMakeLists.txt, in name order.
function(kiv_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
