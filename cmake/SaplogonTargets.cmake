# saplogon_library(NAME LIBS...): a static library from the .cpp/.h/.qrc files of the
# current folder, so adding a file needs no edit here.
function(saplogon_library name)
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER sources INCLUDE REGEX "\\.(cpp|qrc)$")
  if(sources)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${sources} ${headers})
    target_link_libraries(${name} PUBLIC project_options ${ARGN})
  else()
    # Headers only so far: keep the target so that dependants link it already.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE project_options ${ARGN})
  endif()
endfunction()

# saplogon_tests(LIBS...): one test executable per test_*.cpp of the current folder,
# run offscreen by CTest. Fixtures in ./data are reachable through SAPLOGON_TEST_DATA.
function(saplogon_tests)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE project_options Qt6::Test ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
      SAPLOGON_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
      SAPLOGON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      SAPLOGON_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endforeach()
endfunction()
