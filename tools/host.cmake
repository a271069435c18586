# The install script checker on this host: built with the native compiler from the shared script
# rules and the checker's own sources, without the fake Win32 layer. Its core also goes into the
# host test binary, where the shared rules come from the product library.
set(CHECKER_DIR ${CMAKE_SOURCE_DIR}/tools/install_log_check)
set(CHECKER_CORE_SOURCES
    ${CHECKER_DIR}/check.cpp ${CHECKER_DIR}/explain.cpp ${CHECKER_DIR}/warnings.cpp
    ${CHECKER_DIR}/script_source.cpp ${CHECKER_DIR}/script_text.cpp ${CHECKER_DIR}/report_output.cpp
    ${CHECKER_DIR}/script_file.cpp ${CHECKER_DIR}/ship_folder_posix.cpp)
set(SHARED_SCRIPT_RULES ${CMAKE_SOURCE_DIR}/script/script_rules.cpp ${CMAKE_SOURCE_DIR}/script/script_lines.cpp)

add_executable(install-log-check ${CHECKER_CORE_SOURCES} ${SHARED_SCRIPT_RULES}
    ${CHECKER_DIR}/main.cpp ${CHECKER_DIR}/console_posix.cpp)
# app/ only for texts.h; win32.h lies on no include path, so no Windows name can slip in.
target_include_directories(install-log-check PRIVATE ${CHECKER_DIR} ${CMAKE_SOURCE_DIR}/script ${CMAKE_SOURCE_DIR}/app)
target_compile_options(install-log-check PRIVATE -Wall -Wextra)
set_target_properties(install-log-check PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

target_sources(host_tests PRIVATE ${CHECKER_CORE_SOURCES})
target_include_directories(host_tests PRIVATE ${CHECKER_DIR})
target_compile_definitions(host_tests PRIVATE CHECKER_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/checker")
