# End-to-end tests in the host build: the real Setup.exe under Wine on a virtual display, driven
# by tests/e2e/driver.exe. They need the Windows build (build/win32, and build/win64 where this
# kernel cannot run 32-bit programs), wine and Xvfb; without them each test reports itself as
# skipped. The fixture e2e starts Xvfb and prepares a template prefix; each scenario runs in a
# fresh copy of it; the cleanup stops Xvfb by its process id.
set(E2E_WIN32_BUILD ${CMAKE_SOURCE_DIR}/build/win32 CACHE PATH "Windows build folder of Setup.exe")
set(E2E_WIN64_BUILD ${CMAKE_SOURCE_DIR}/build/win64 CACHE PATH
    "x86-64 Windows build folder, used on hosts that cannot execute 32-bit programs")
set(E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)
set(E2E_STATE ${CMAKE_BINARY_DIR}/e2e)
set(E2E_ENVIRONMENT E2E_SOURCE=${CMAKE_SOURCE_DIR} E2E_WIN32_BUILD=${E2E_WIN32_BUILD}
    E2E_WIN64_BUILD=${E2E_WIN64_BUILD})

find_program(PYTHON3 python3)
if (PYTHON3)
    add_test(NAME setup_exe_format COMMAND ${PYTHON3} ${E2E_DIR}/check_pe.py ${E2E_WIN32_BUILD}/Setup.exe)
    set_tests_properties(setup_exe_format PROPERTIES SKIP_RETURN_CODE 77 LABELS e2e)
endif ()

add_test(NAME e2e_start COMMAND bash ${E2E_DIR}/e2e.sh start ${E2E_STATE})
add_test(NAME e2e_stop COMMAND bash ${E2E_DIR}/e2e.sh stop ${E2E_STATE})
set_tests_properties(e2e_start PROPERTIES FIXTURES_SETUP e2e SKIP_RETURN_CODE 77 TIMEOUT 400
    ENVIRONMENT "${E2E_ENVIRONMENT}" LABELS e2e)
set_tests_properties(e2e_stop PROPERTIES FIXTURES_CLEANUP e2e TIMEOUT 60 LABELS e2e)

file(GLOB E2E_SCENARIOS CONFIGURE_DEPENDS ${E2E_DIR}/cases/*.scn)
foreach (scenario ${E2E_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME e2e.${name} COMMAND bash ${E2E_DIR}/e2e.sh run ${E2E_STATE} ${scenario})
    set_tests_properties(e2e.${name} PROPERTIES FIXTURES_REQUIRED e2e SKIP_RETURN_CODE 77
        TIMEOUT 300 ENVIRONMENT "${E2E_ENVIRONMENT}" LABELS e2e)
endforeach ()

# The fault tests share this fixture (tests/e2e/faults/faults.cmake).
include(${E2E_DIR}/faults/faults.cmake OPTIONAL)
