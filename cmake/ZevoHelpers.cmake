# Adds every direct sub-folder of DIR that has its own CMakeLists.txt, in name order,
# so that each subsystem owns its build file; folders named after EXCEPT are left out.
function(zevo_add_subdirectories dir)
  cmake_parse_arguments(A "" "" "EXCEPT" ${ARGN})
  file(GLOB children LIST_DIRECTORIES true "${dir}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    get_filename_component(name "${child}" NAME)
    if(name IN_LIST A_EXCEPT)
      continue()
    endif()
    if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
      add_subdirectory("${child}")
    endif()
  endforeach()
endfunction()

# zevo_test(NAME name SOURCES ... LIBS ...): one GoogleTest executable registered with CTest.
function(zevo_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zevo_testsupport GTest::gtest GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    ZEVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    ZEVO_DIST_DIR="${CMAKE_INSTALL_PREFIX}"
    ZEVO_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Warnings for the project's own code.
function(zevo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

# zevo_library(target DIR dir PUBLIC_LIBS ... PRIVATE_LIBS ...): a static library of
# every .cpp under dir/src, with dir/include public.
function(zevo_library target)
  cmake_parse_arguments(L "" "DIR" "PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${L_DIR}/src/*.cpp")
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC "${L_DIR}/include")
  target_link_libraries(${target} PUBLIC ${L_PUBLIC_LIBS} PRIVATE ${L_PRIVATE_LIBS})
  zevo_warnings(${target})
endfunction()
