# voq_version_resource(TARGET DESCRIPTION): the Windows program's version information,
# from the one version the project states.
function(voq_version_resource target description)
    set(voq_file_description ${description})
    set(voq_original_filename ${target}.exe)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${script} @ONLY)
    target_sources(${target} PRIVATE ${script})
endfunction()
