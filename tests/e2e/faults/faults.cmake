# Fault tests under Wine (tests/e2e/faults/faults.sh): each case lays out a product of its own in a
# copy of the end-to-end fixture's template prefix and runs cases/<case>.scn with the same driver.
# Included by tests/e2e/host.cmake, whose fixture, state folder and environment they share.
file(GLOB FAULT_SCENARIOS CONFIGURE_DEPENDS ${E2E_DIR}/faults/cases/*.scn)
foreach (scenario ${FAULT_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME e2e.fault.${name} COMMAND bash ${E2E_DIR}/faults/faults.sh run ${E2E_STATE} ${name})
    set_tests_properties(e2e.fault.${name} PROPERTIES FIXTURES_REQUIRED e2e SKIP_RETURN_CODE 77
        TIMEOUT 300 ENVIRONMENT "${E2E_ENVIRONMENT}" LABELS "e2e;faults")
endforeach ()
