# Libraries are made of every source in their folder, so adding a file needs no CMake edit.
function(zf_folder_library name)
  cmake_parse_arguments(ZF "" "" "DIRS;LIBS;EXCLUDE" ${ARGN})
  set(sources)
  foreach(dir ${ZF_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
    list(APPEND sources ${found})
  endforeach()
  foreach(ex ${ZF_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${ex}")
  endforeach()
  set(cpp_sources ${sources})
  list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
  if(cpp_sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ZF_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ZF_LIBS})
  endif()
endfunction()

# A QtTest suite: one executable per call, run headless with HOME pointed at a fresh folder. It is
# written beside its sources' build folder, not into the application folder, and finds that folder
# through ZF_APP_DIR.
function(zf_add_qtest name)
  cmake_parse_arguments(ZF "" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ZF_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(${name} PRIVATE ${ZF_LIBS} Qt5::Test)
  if(NOT ZF_TIMEOUT)
    set(ZF_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/run-isolated.sh $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ZF_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZF_APP_DIR=${ZF_APP_DIR};ZF_SOURCE_DIR=${CMAKE_SOURCE_DIR};${ZF_SANITIZER_ENV};${ZF_ENV}")
endfunction()

# A fuzz target: libFuzzer under Clang with ZF_FUZZ=ON; otherwise the common driver, which runs the seed
# files once as a test, so every build feeds the shipped files through the fuzzed path.
option(ZF_FUZZ "Build libFuzzer targets (Clang)" OFF)
if(ZF_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # The parsers live in the libraries: they need the coverage instrumentation, not only the targets.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
add_custom_target(zf_fuzz_targets)
function(zf_add_fuzz name)
  cmake_parse_arguments(ZF "" "" "SOURCES;LIBS;SEEDS" ${ARGN})
  if(ZF_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(${name} ${ZF_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${name} ${ZF_SOURCES} ${CMAKE_SOURCE_DIR}/tests/common/FuzzDriver.cpp)
  endif()
  # The committed corpus (tests/fuzz/<name>: findings kept as regression inputs, small inputs that
  # reach deep) joins the shipped seed files. libFuzzer runs file arguments once each as well, so the
  # seeds are a test in both builds.
  file(GLOB _corpus CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}/*)
  list(APPEND ZF_SEEDS ${_corpus})
  add_test(NAME ${name}_seeds COMMAND ${name} ${ZF_SEEDS})
  # scripts/fuzz.sh reads the binary and its seeds from here.
  string(REPLACE ";" "\n" _seed_lines "${ZF_SEEDS}")
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz-targets/${name}.txt
    CONTENT "$<TARGET_FILE:${name}>\n${_seed_lines}\n")
  set_tests_properties(${name}_seeds PROPERTIES LABELS fuzz ENVIRONMENT "${ZF_SANITIZER_ENV}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(${name} PRIVATE ${ZF_LIBS})
  add_dependencies(zf_fuzz_targets ${name})
endfunction()
