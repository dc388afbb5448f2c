# The one way a test is declared, in every folder of tests/:
#
#   voq_test(NAME LABELS [options]
#            { SOURCES...  [FLOOR voq::x] [LIBS ...] [OWN_MAIN] [TEST_NAME name [RUN_WITH launcher...]]
#            | COMMAND command... })
#
# With sources, NAME is a GoogleTest program linking the whole core unless a floor is
# named, and each of its cases is a test of its own; OWN_MAIN for a program with a main
# of its own. TEST_NAME makes the program one test of that name instead, run through
# RUN_WITH when given (a session or display to run in). Under wine a program is always
# one test, as starting wine for every case would take longer than the cases. With
# COMMAND, NAME is one test running that command.
#
# Options: TIMEOUT seconds (300 unless said; each case has it), ENVIRONMENT var=value...,
# LOOPBACK for a command that takes loopback pairs (a native program always may),
# OWN_NAMESPACE for a command run in a network namespace of its own that has only
# loopback (tests/support/own_namespace.sh), FIXTURES_REQUIRED, FIXTURES_SETUP,
# SKIP_RETURN_CODE, RESOURCE_LOCK.
#
# LABELS is a list ("wine;unit"); `make check` and scripts/run-tests.sh select by it.

# The loopback pairs taken in a test run are claimed here: a pair is the first that has
# no claim yet (tests/support/loopback_claim.h). The folder is emptied as a run starts.
set(VOQ_LOOPBACK_CLAIMS ${CMAKE_BINARY_DIR}/tests/loopback-claims)

function(voq_test name labels)
    cmake_parse_arguments(PARSE_ARGV 2 arg "OWN_MAIN;LOOPBACK;OWN_NAMESPACE"
                          "FLOOR;TIMEOUT;TEST_NAME;SKIP_RETURN_CODE"
                          "LIBS;COMMAND;RUN_WITH;ENVIRONMENT;FIXTURES_REQUIRED;FIXTURES_SETUP;RESOURCE_LOCK")
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 300)
    endif()
    set(fixtures ${arg_FIXTURES_REQUIRED})
    if(arg_COMMAND)
        if(arg_UNPARSED_ARGUMENTS)
            message(FATAL_ERROR "voq_test(${name}): sources and COMMAND both given")
        endif()
        if(arg_OWN_NAMESPACE)
            list(PREPEND arg_COMMAND ${PROJECT_SOURCE_DIR}/tests/support/own_namespace.sh)
        endif()
        if(arg_LOOPBACK)
            list(APPEND fixtures loopback_pairs)
        endif()
        add_test(NAME ${name} COMMAND ${arg_COMMAND})
        _voq_test_properties(${name})
        return()
    endif()

    if(NOT arg_FLOOR)
        set(arg_FLOOR voq::core)
    endif()
    add_executable(${name} ${arg_UNPARSED_ARGUMENTS} ${PROJECT_SOURCE_DIR}/tests/support/socket_library.cpp
                           ${PROJECT_SOURCE_DIR}/tests/support/loopback.cpp)
    # The socket library every test program starts is the platform's, the ground of every floor.
    target_link_libraries(${name} PRIVATE ${arg_FLOOR} voq::platform ${arg_LIBS} GTest::gtest)
    if(NOT arg_OWN_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set(labels "wine;${labels}")
        set(arg_TIMEOUT 600)
        _voq_test_properties(${name})
        return()
    endif()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/loopback_claim.cpp)
    target_compile_definitions(${name} PRIVATE VOQ_LOOPBACK_CLAIMS="${VOQ_LOOPBACK_CLAIMS}")
    list(APPEND fixtures loopback_pairs)
    if(arg_TEST_NAME)
        add_test(NAME ${arg_TEST_NAME} COMMAND ${arg_RUN_WITH} $<TARGET_FILE:${name}>)
        _voq_test_properties(${arg_TEST_NAME})
        return()
    endif()
    # gtest_discover_tests takes each property's value as one argument: a list would be cut
    # at its first item, and the properties after it lost.
    list(LENGTH labels label_count)
    list(LENGTH fixtures fixture_count)
    list(LENGTH arg_ENVIRONMENT environment_count)
    if(label_count GREATER 1 OR fixture_count GREATER 1 OR environment_count GREATER 1)
        message(FATAL_ERROR "voq_test(${name}): a program whose cases are tests of their own takes one label, "
                            "one fixture and one environment variable at most; give it TEST_NAME instead")
    endif()
    set(properties LABELS "${labels}" TIMEOUT ${arg_TIMEOUT} FIXTURES_REQUIRED "${fixtures}")
    if(arg_ENVIRONMENT)
        list(APPEND properties ENVIRONMENT "${arg_ENVIRONMENT}")
    endif()
    gtest_discover_tests(${name} PROPERTIES ${properties} DISCOVERY_TIMEOUT 30)
endfunction()

# The properties every kind of test takes, from the caller's parsed arguments.
macro(_voq_test_properties test)
    set_tests_properties(${test} PROPERTIES LABELS "${labels}" TIMEOUT ${arg_TIMEOUT})
    foreach(property ENVIRONMENT FIXTURES_SETUP SKIP_RETURN_CODE RESOURCE_LOCK)
        if(arg_${property})
            set_tests_properties(${test} PROPERTIES ${property} "${arg_${property}}")
        endif()
    endforeach()
    if(fixtures)
        set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED "${fixtures}")
    endif()
endmacro()
