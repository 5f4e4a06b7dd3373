# pellwick_source_date_epoch(<variable> <source folder>): the time every build of these sources
# puts where a time must go, as the reproducible-builds convention has it: the environment's
# SOURCE_DATE_EPOCH, or else the time of the last commit, from git or, in the tarball that
# `git archive` made, from commit-time, which it filled in (.gitattributes: export-subst).
function(pellwick_source_date_epoch variable source)
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(epoch STREQUAL "")
    execute_process(COMMAND git -C ${source} log -1 --format=%ct OUTPUT_VARIABLE epoch
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(epoch STREQUAL "" AND EXISTS ${source}/packaging/commit-time)
    file(STRINGS ${source}/packaging/commit-time epoch LIMIT_COUNT 1)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No SOURCE_DATE_EPOCH in the environment, and ${source} is no git work tree "
                        "nor a tarball made by git archive (\"${epoch}\")")
  endif()
  set(${variable} ${epoch} PARENT_SCOPE)
endfunction()
