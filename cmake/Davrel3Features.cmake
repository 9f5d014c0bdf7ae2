# What this machine can build. Each optional part that cannot be built is
# skipped with one line saying what is missing; with DAVREL3_REQUIRE_ALL the
# configure fails instead, so a build that must be complete (scripts/test, CI)
# never passes with a part left out.

set_property(GLOBAL PROPERTY DAVREL3_SKIPPED "")

# davrel3_skip(PART REASON): PART is left out of this build because of REASON.
function(davrel3_skip part reason)
  message(STATUS "Skipping ${part}: ${reason}")
  set_property(GLOBAL APPEND PROPERTY DAVREL3_SKIPPED "${part} (${reason})")
endfunction()

# The Qt 6 modules the program and its window tests need. Sets
# DAVREL3_HAVE_QT (program) and DAVREL3_HAVE_QT_TEST (window tests).
function(davrel3_find_qt)
  # One module at a time: a search for several stops at the first missing
  # one, and the message should name them all.
  set(missing "")
  foreach(module Widgets Charts DataVisualization Svg OpenGLWidgets)
    find_package(Qt6 6.2 QUIET COMPONENTS ${module})
    if(NOT Qt6${module}_FOUND)
      list(APPEND missing Qt6${module})
    endif()
  endforeach()
  find_package(Qt6 6.2 QUIET COMPONENTS Test)
  if(missing)
    list(JOIN missing ", " text)
    davrel3_skip("the program davrel3" "${text} not found")
    set(DAVREL3_HAVE_QT OFF PARENT_SCOPE)
    set(DAVREL3_HAVE_QT_TEST OFF PARENT_SCOPE)
    return()
  endif()
  set(DAVREL3_HAVE_QT ON PARENT_SCOPE)
  set(DAVREL3_HAVE_QT_TEST ${Qt6Test_FOUND} PARENT_SCOPE)
endfunction()

# At the end of the configure: a fatal error naming what would be left out
# when DAVREL3_REQUIRE_ALL asks for everything.
function(davrel3_report_skipped)
  get_property(skipped GLOBAL PROPERTY DAVREL3_SKIPPED)
  if(NOT skipped)
    return()
  endif()
  list(JOIN skipped "; " text)
  if(DAVREL3_REQUIRE_ALL)
    message(FATAL_ERROR "DAVREL3_REQUIRE_ALL is on but this build would leave out: ${text}. "
                        "Install the missing packages (scripts/install-deps).")
  endif()
endfunction()
