# Writes the git commit the sources are at into a header, at build time, and
# only when it changed, so a new commit rebuilds one file and an unchanged
# tree rebuilds nothing. Outside a checkout (a tarball) the commit is empty.
# Run as: cmake -DSOURCE_DIR=... -DOUTPUT=... -P commit.cmake
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    set(commit "")
  else()
    # Uncommitted changes to tracked files make the build differ from the commit.
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
                    OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT changes STREQUAL "")
      string(APPEND commit "-modified")
    endif()
  endif()
endif()
set(text "// Written by cmake/commit.cmake at build time.\n#define DAVREL3_GIT_COMMIT \"${commit}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
else()
  set(old "")
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
