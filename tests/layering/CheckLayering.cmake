# Checks the floors of the build, by reading the sources (cmake -P):
#   1. no file in SYSTEM_DIR includes a file of the project outside SYSTEM_DIR;
#   2. no file in platform/ includes a header of common/ other than the two
#      that the stand-ins share with the rest (ErrorInfo.h, AgentInterface.h);
#   3. no library source reads a TILVANO_ switch from the environment: only
#      the programs' main files and the tests' support do, and pass it on.
# Each finding is "file: what". Known ones are listed in layering-allowed.txt;
# a finding not listed fails the check, and so does a listed one that is gone,
# so that the list only ever shrinks.
#
# cmake -DSOURCE_DIR=<tree> -DSYSTEM_DIR=system -DALLOWED=<list file> -P CheckLayering.cmake

cmake_minimum_required(VERSION 3.25)

foreach(required SOURCE_DIR SYSTEM_DIR ALLOWED)
  if(NOT ${required})
    message(FATAL_ERROR "CheckLayering.cmake needs -D${required}=...")
  endif()
endforeach()

set(common_for_platform common/ErrorInfo.h common/AgentInterface.h)
set(findings "")

# The project file an include names, relative to SOURCE_DIR; empty when it
# names none (a system header, a generated file).
function(resolve_include including name result)
  get_filename_component(dir "${SOURCE_DIR}/${including}" DIRECTORY)
  set(found "")
  foreach(candidate "${dir}/${name}" "${SOURCE_DIR}/${name}")
    get_filename_component(candidate "${candidate}" ABSOLUTE)
    if(EXISTS "${candidate}" AND NOT IS_DIRECTORY "${candidate}")
      file(RELATIVE_PATH found "${SOURCE_DIR}" "${candidate}")
      break()
    endif()
  endforeach()
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE platform_sources RELATIVE "${SOURCE_DIR}"
  "${SOURCE_DIR}/platform/*.h" "${SOURCE_DIR}/platform/*.cpp" "${SOURCE_DIR}/${SYSTEM_DIR}/*.h"
  "${SOURCE_DIR}/${SYSTEM_DIR}/*.cpp")
list(REMOVE_DUPLICATES platform_sources)
foreach(source IN LISTS platform_sources)
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" name "${line}")
    resolve_include("${source}" "${name}" target)
    if(NOT target)
      continue()
    endif()
    string(FIND "${source}" "${SYSTEM_DIR}/" in_system)
    string(FIND "${target}" "${SYSTEM_DIR}/" target_in_system)
    if(in_system EQUAL 0 AND NOT target_in_system EQUAL 0)
      list(APPEND findings "${source}: includes ${target} from outside ${SYSTEM_DIR}")
    elseif(target MATCHES "^common/" AND NOT target IN_LIST common_for_platform)
      list(APPEND findings "${source}: includes ${target}")
    endif()
  endforeach()
endforeach()

# Every source of the rooms; tests, benchmarks and fuzzers are no library.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
foreach(source IN LISTS sources)
  if(source MATCHES "^(build|tests|bench|fuzz)/" OR source MATCHES "/build/")
    continue()
  endif()
  # A switch may be named where it is read or in a constant elsewhere in
  # the file: a file that reads its environment and names a switch counts.
  file(STRINGS "${SOURCE_DIR}/${source}" reads REGEX "(getenv|qEnvironmentVariable[A-Za-z]*)[ \t]*\\(")
  if(NOT reads)
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" named REGEX "\"TILVANO_[A-Z0-9_]+\"")
  file(STRINGS "${SOURCE_DIR}/${source}" mains REGEX "^int main[ \t]*\\(")
  if(NOT named OR mains)
    continue() # a program's main file reads the switches and passes them on
  endif()
  foreach(line IN LISTS named)
    string(REGEX MATCHALL "\"TILVANO_[A-Z0-9_]+\"" switches "${line}")
    foreach(switch IN LISTS switches)
      string(REPLACE "\"" "" switch "${switch}")
      list(APPEND findings "${source}: reads ${switch} from the environment")
    endforeach()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES findings)

file(STRINGS "${ALLOWED}" allowed REGEX "^[^#]")
set(failed FALSE)
foreach(finding IN LISTS findings)
  if(NOT finding IN_LIST allowed)
    message("not allowed: ${finding}")
    set(failed TRUE)
  endif()
endforeach()
foreach(entry IN LISTS allowed)
  if(NOT entry IN_LIST findings)
    message("no longer found, remove it from ${ALLOWED}: ${entry}")
    set(failed TRUE)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "The floors of the build are not kept (see above).")
endif()
list(LENGTH findings known)
message("Floors kept; ${known} known exceptions left.")
