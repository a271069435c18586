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

# The checker as vendors run it: exit codes and the lines they read, on the ship folders and
# scripts of tests/checker.
set(CHECKER_DATA ${CMAKE_SOURCE_DIR}/tests/checker)
function(add_checker_test name code text)
    add_test(NAME checker_${name} COMMAND sh ${CHECKER_DATA}/expect_exit.sh ${code} ${text}
             $<TARGET_FILE:install-log-check> ${ARGN})
    set_tests_properties(checker_${name} PROPERTIES WORKING_DIRECTORY ${CHECKER_DATA})
endfunction()
add_checker_test(help 0 "2  the script is broken" --help)
add_checker_test(ship_folder_loads 0 "ships/good/Install.log: loaded, 5 entries, no warnings" ships/good)
add_checker_test(script_name_in_other_case 0 "INSTALL.LOG: loaded, 1 entry, no warnings" ships/upper-case-name)
add_checker_test(listed_file_missing 1 "line 10: warning (missing-file)" ships/missing-file)
add_checker_test(script_alone_looks_for_no_file 0 "not looked for (use --folder)" ships/missing-file/Install.log)
add_checker_test(script_with_other_folder 1 "\"Hilfe\\Fehlt.txt\" is not in the ship folder"
                 --folder ships/good ships/missing-file/Install.log)
add_checker_test(broken_ship_folder 2 "broken at line 9 (no-line-after-last-entry)" ships/broken)
add_checker_test(broken_script_as_json 2 "\"verdict\": \"broken\", \"exitCode\": 2" --json scripts/utf8-header.log)
add_checker_test(folder_without_script 3 "no Install.log in ships/no-script" ships/no-script)
add_checker_test(no_such_path 3 "no such file or folder: ships/none" ships/none)
add_checker_test(no_such_folder_option 3 "no such folder: ships/none" --folder ships/none scripts/good.log)
add_checker_test(unknown_option 3 "unknown option --strict" --strict scripts/good.log)
add_checker_test(error_as_json 3 "\"verdict\": \"error\", \"exitCode\": 3" --json ships/none)

# The Windows build under Wine, on a few of the same inputs: it must agree with the host build.
# Each test runs the first of the Windows builds that this machine's Wine can run (the 32-bit
# one, else the x86-64 one) and skips when there is none (fails instead when E2E_REQUIRE=1).
set(CHECKER_WINDOWS_BUILDS "${CMAKE_SOURCE_DIR}/build/win32/install-log-check.exe:${CMAKE_SOURCE_DIR}/build/win64/install-log-check.exe"
    CACHE STRING "Windows builds of install-log-check for the Wine tests, separated by colons, in the order tried")
set(CHECKER_WINE_CASES "ship_folder 0 ships/good" "missing_file 1 ships/missing-file"
    "utf8_header 2 scripts/utf8-header.log" "lf_line_ends 2 scripts/lf-line-ends.log"
    "keyword_lookalike 1 scripts/keyword-lookalike.log" "no_such_path 3 ships/none")
foreach (wineCase ${CHECKER_WINE_CASES})
    separate_arguments(wineCase)
    list(POP_FRONT wineCase caseName caseCode)
    add_test(NAME checker_wine_${caseName} COMMAND sh ${CHECKER_DATA}/wine_check.sh $<TARGET_FILE:install-log-check>
             ${CMAKE_BINARY_DIR}/checker-wine ${caseCode} ${CHECKER_WINDOWS_BUILDS} ${wineCase})
    set_tests_properties(checker_wine_${caseName} PROPERTIES WORKING_DIRECTORY ${CHECKER_DATA} SKIP_RETURN_CODE 77
                         RESOURCE_LOCK checker_wine_prefix TIMEOUT 300 LABELS wine)
endforeach ()
