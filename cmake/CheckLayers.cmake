# Fails when a layer includes a header from a layer above it:
# core (with types) < commands (app, tree, extract, replace) < ui, cli.
set(forbidden_core "app/|tree/|extract/|replace/|ui/|cli/")
set(forbidden_commands "ui/|cli/")
file(GLOB_RECURSE core_files ${SOURCE_DIR}/core/*.h ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/types/*.h ${SOURCE_DIR}/types/*.cpp)
file(GLOB_RECURSE command_files
  ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/tree/*.h ${SOURCE_DIR}/tree/*.cpp
  ${SOURCE_DIR}/extract/*.h ${SOURCE_DIR}/extract/*.cpp ${SOURCE_DIR}/replace/*.h ${SOURCE_DIR}/replace/*.cpp)
set(violations "")
foreach(pair "core_files;forbidden_core" "command_files;forbidden_commands")
  list(GET pair 0 files_var)
  list(GET pair 1 pattern_var)
  foreach(f ${${files_var}})
    file(STRINGS ${f} lines REGEX "^#include \"(${${pattern_var}})")
    if(lines)
      string(APPEND violations "${f}: ${lines}\n")
    endif()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "Includes that point up a layer:\n${violations}")
endif()
