# What Debian's policy asks beside the programs: manual pages gzipped, the
# copyright file and the changelog in /usr/share/doc/varomsgboard. The same
# goes into a per-user prefix (man reads gzipped pages there as well).

include(GNUInstallDirs)
find_program(VMB_GZIP gzip REQUIRED)
set(VMB_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/varomsgboard)

# At the highest level and without the name and time in the header, so that
# the same text gives the same bytes (lintian checks both).
function(vmb_gzip source destination)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_BINARY_DIR}/gzipped/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${VMB_GZIP} -9nf ${copy}
        DEPENDS ${source} VERBATIM)
    string(MAKE_C_IDENTIFIER "gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS ${copy}.gz)
    install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

function(vmb_install_man_page page)
    vmb_gzip(${CMAKE_CURRENT_SOURCE_DIR}/${page} ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# The package's version is the project's: its changelog must have an entry for it.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^varomsgboard \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog: the first entry is not for ${PROJECT_VERSION}: ${top}")
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${VMB_DOC_DIR})
vmb_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${VMB_DOC_DIR})
