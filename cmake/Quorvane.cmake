include_guard(GLOBAL)

# qv_platform_module(<name> SOURCES <files…> [DEPS <targets…>])
# One folder of the platform stand-in. It is a position-independent static library so that its
# unit tests link only what they need; libqvplatform.so takes every module whole.
function(qv_platform_module name)
  cmake_parse_arguments(M "" "" "SOURCES;DEPS" ${ARGN})
  add_library(qv_${name} STATIC ${M_SOURCES})
  set_target_properties(qv_${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_link_libraries(qv_${name} PUBLIC ${M_DEPS} Threads::Threads)
  set_property(GLOBAL APPEND PROPERTY QV_PLATFORM_MODULES qv_${name})
  # Third-party libraries travel on with libqvplatform.so; sibling modules are inside it.
  foreach(dep ${M_DEPS})
    if(NOT dep MATCHES "^qv_")
      set_property(GLOBAL APPEND PROPERTY QV_PLATFORM_EXTERNAL_DEPS ${dep})
    endif()
  endforeach()
endfunction()

# qv_deliverable_module(<name> SOURCES <files…> [DEPS <targets…>])
# Code compiled into each deliverable (glass/, support/): static, position independent, hidden
# visibility, so every deliverable carries its own copy and its own state.
function(qv_deliverable_module name)
  cmake_parse_arguments(M "" "" "SOURCES;DEPS" ${ARGN})
  add_library(qv_${name} STATIC ${M_SOURCES})
  set_target_properties(qv_${name} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(qv_${name} PUBLIC ${M_DEPS})
endfunction()

# qv_add_test(<name> SOURCES <files…> LIBS <targets…>)
# One GoogleTest binary per folder, each test case registered with CTest.
function(qv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(qv_${name}_tests ${T_SOURCES})
  target_link_libraries(qv_${name}_tests PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(qv_${name}_tests
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 LABELS ${name})
endfunction()
