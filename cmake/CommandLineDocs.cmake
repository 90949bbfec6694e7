# The command-line programs as a system expects them: a manual page for vl48-cli and vl48-sim,
# made from their own --help and --version after they are built, so that the page cannot tell
# other than the program; and the check that keeps vl48-cli's bash completion in step with it.
#
# help2man is a required build tool (scripts/common.sh installs it): without it the build stops
# here rather than produce a package without manual pages.
find_program(VL48_HELP2MAN help2man REQUIRED)
find_program(VL48_GZIP gzip REQUIRED)
find_program(VL48_BASH bash REQUIRED)

set(VL48_MAN_DIR ${PROJECT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${VL48_MAN_DIR})

# share/man/man1/PROGRAM.1.gz from PROGRAM's --help and --version, laid out for help2man by
# cmake/help2man-input.sh, with the sections --help has no place for from packaging/PROGRAM.h2m.
# Compressed as Debian wants it: gzip at its best, without a name or a time stamp, so that the
# same page gives the same bytes.
function(vl48_man_page program)
  set(page ${VL48_MAN_DIR}/${program}.1)
  set(extra ${PROJECT_SOURCE_DIR}/packaging/${program}.h2m)
  set(input ${PROJECT_SOURCE_DIR}/cmake/help2man-input.sh)
  # A fixed temporary folder: vl48-sim's help names the folder of its port links. The texts are
  # UTF-8 (°C, Ω), which help2man reads in the locale it is given (C, ASCII, by default).
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env TMPDIR=/tmp LC_ALL=C.UTF-8
            ${VL48_HELP2MAN} --no-info --section=1 --locale=C.UTF-8 --include=${extra}
            --output=${page} "${VL48_BASH} ${input} $<TARGET_FILE:${program}>"
    COMMAND ${VL48_GZIP} -9nf ${page}
    DEPENDS ${program} ${extra} ${input}
    COMMENT "Manual page ${program}(1)"
    VERBATIM)
  add_custom_target(${program}-manpage ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# Neither in the sanitized build, which installs nothing: its programs, run at build time, would
# end with the leak checker's report on Qt's own allocations, and the completion's check would
# only find again, slower, what it finds here.
if(VL48_SANITIZE)
  return()
endif()
vl48_man_page(vl48-cli)
vl48_man_page(vl48-sim)

# The completion offers every command and option "vl48-cli --help" lists, and no other; with the
# ports of a running simulator, configuration files and fixed values (under a second).
if(VL48_BUILD_TESTS)
  add_test(NAME cli_completion_check
           COMMAND ${VL48_BASH} ${PROJECT_SOURCE_DIR}/cmake/check-completion.sh
                   ${PROJECT_SOURCE_DIR}/packaging/vl48-cli.bash-completion
                   $<TARGET_FILE:vl48-cli> $<TARGET_FILE:vl48-sim>)
endif()
