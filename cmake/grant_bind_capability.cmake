# Run by `cmake --install` after the program is in place. The device fetches its
# firmware from UDP port 69, which Linux keeps for privileged programs: the one
# capability to bind such a port is granted to the installed file, and nothing more
# (the program never runs as root). Without it the program serves from its
# unprivileged ports instead, 10069 to 10168.
#
# A staged install (DESTDIR set: the Debian package's, or a distribution's build)
# is left alone: a file's capabilities do not travel in an archive, and the
# package's postinst grants them on the machine it is installed on.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
endif()

if(IS_ABSOLUTE "${voq_installed_bindir}")
    set(bindir "${voq_installed_bindir}")
else()
    set(bindir "${CMAKE_INSTALL_PREFIX}/${voq_installed_bindir}")
endif()

execute_process(COMMAND id -u OUTPUT_VARIABLE user_id OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
find_program(setcap_program setcap PATHS /usr/sbin /sbin NO_CACHE)
foreach(name voq-upgrade voq-upgrade-cli)
    set(program "${bindir}/${name}")
    if(NOT EXISTS "${program}")
        continue()
    endif()
    set(grant cap_net_bind_service=+ep "${program}")
    string(REPLACE ";" " " grant_text "setcap ${grant}")
    if(NOT user_id STREQUAL "0" OR NOT setcap_program)
        message(STATUS "To let ${name} answer devices on UDP port 69, run: sudo ${grant_text}")
        continue()
    endif()
    execute_process(COMMAND "${setcap_program}" ${grant} RESULT_VARIABLE granted ERROR_VARIABLE reason)
    if(granted EQUAL 0)
        message(STATUS "Granted: ${grant_text}")
    else()
        string(STRIP "${reason}" reason)
        message(STATUS "Could not grant the capability to bind port 69 (${reason}); "
                       "${name} will serve firmware from UDP ports 10069 to 10168. "
                       "Where file capabilities are supported: sudo ${grant_text}")
    endif()
endforeach()
