# Small helpers shared by every folder.

# tw_library(NAME SOURCES... LIBS...): a static library of one subsystem.
# Its headers are included as "folder/Header.h" by the targets that link it,
# and only by them: each folder gets an include folder of its own holding
# nothing but a link to it, so a header of a layer not linked is not found.
function(tw_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(inc ${PROJECT_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${inc}/${folder})
    file(MAKE_DIRECTORY ${inc})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${inc}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${name} PUBLIC ${inc})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# tw_module(NAME FOR LIBRARY DEFINE PREFIX SOURCES... LIBS...): a part of the
# program kept out of it, loaded the first time it is used, so that the
# libraries it needs do not slow every start. LIBRARY finds it through
# PREFIX_BUILT (where the build made it) and PREFIX_FROM_PROGRAM (where the
# package installs it, from the program's folder).
function(tw_module name)
  cmake_parse_arguments(ARG "" "FOR;DEFINE" "SOURCES;LIBS" ${ARGN})
  include(GNUInstallDirs)
  add_library(${name} MODULE ${ARG_SOURCES})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  target_include_directories(${name} PRIVATE ${PROJECT_BINARY_DIR}/include/${folder})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # It calls the C library only through the others; a shared object that
  # does not name it is one lintian refuses.
  target_link_options(${name} PRIVATE "LINKER:--no-as-needed,-lc")
  set_target_properties(${name} PROPERTIES PREFIX "lib" CXX_VISIBILITY_PRESET hidden)
  install(TARGETS ${name} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/tovarek-w)
  target_compile_definitions(${ARG_FOR} PRIVATE
    ${ARG_DEFINE}_BUILT="$<TARGET_FILE:${name}>"
    ${ARG_DEFINE}_FROM_PROGRAM="../${CMAKE_INSTALL_LIBDIR}/tovarek-w/lib${name}.so")
  # Whatever links the library needs the module built.
  add_dependencies(${ARG_FOR} ${name})
endfunction()

# tw_test(NAME SOURCES... LIBS... [LABELS...]): one QtTest executable registered with CTest.
# Every test runs headless; sanitizer reports end the test with a failure.
function(tw_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set(env
    "QT_QPA_PLATFORM=offscreen"
    "TW_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "TW_BINARY_DIR=${PROJECT_BINARY_DIR}"
    "XDG_DATA_HOME=${PROJECT_BINARY_DIR}/test-data"
    # The desktop's shared thumbnails: never the real home's.
    "XDG_CACHE_HOME=${PROJECT_BINARY_DIR}/test-cache"
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    # die_after_fork=0: Qt starts programs through a vfork-like clone sharing the parent's
    # memory, after which ThreadSanitizer takes the parent for a forked child and would
    # refuse every thread it starts later.
    "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp"
    ${ARG_ENV})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  if(ARG_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  endif()
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt.
function(tw_add_subfolders)
  file(GLOB subdirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(d ${subdirs})
    if(IS_DIRECTORY ${d} AND EXISTS ${d}/CMakeLists.txt)
      add_subdirectory(${d})
    endif()
  endforeach()
endfunction()
