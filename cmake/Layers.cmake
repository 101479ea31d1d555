# SPDX-License-Identifier: GPL-2.0-or-later
# One static library per layer, each linking only the layers below it, and a check that the
# build runs before a layer compiles: an include of a layer that is not below fails the build,
# naming the file, the line and the rule (cmake/CheckLayers.cmake).
#
#   pendulon_layer(NAME DIRS dir... [USES layer...] [PRIVATE_USES layer...] [EXCLUDE file...]
#                  [TARGET library] [CHECK_ONLY] [NOT_BUILT])
#
# USES: the layers this one stands on; whoever stands on this layer may include them too.
# PRIVATE_USES: layers only this one may include (sim: an access device that only the
# application chooses). CHECK_ONLY: the sources are checked but make no library (the
# programs). NOT_BUILT: the layer is left out of this build, but its place in the order is
# kept. The library is pendulon_NAME unless TARGET names it; the variable
# PENDULON_LAYER_CHECK_<NAME> names the check's target.

set(PENDULON_LAYER_NAMES platform kit cpu discovery smbus pll sim app cli ui)

function(pendulon_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "CHECK_ONLY;NOT_BUILT" "TARGET" "DIRS;USES;PRIVATE_USES;EXCLUDE")
  if(NOT arg_TARGET)
    set(arg_TARGET pendulon_${name})
  endif()
  set_property(GLOBAL PROPERTY PENDULON_LAYER_TARGET_${name} ${arg_TARGET})

  # What a layer above may reach through this one: itself and what it stands on.
  set(reach ${name})
  foreach(used IN LISTS arg_USES)
    get_property(used_reach GLOBAL PROPERTY PENDULON_LAYER_REACH_${used})
    if(NOT used_reach)
      message(FATAL_ERROR "layer ${name} uses ${used}, which is not defined below it")
    endif()
    list(APPEND reach ${used_reach})
  endforeach()
  list(REMOVE_DUPLICATES reach)
  set_property(GLOBAL PROPERTY PENDULON_LAYER_REACH_${name} ${reach})
  if(arg_NOT_BUILT)
    return()
  endif()

  set(allowed ${reach})
  foreach(used IN LISTS arg_PRIVATE_USES)
    get_property(used_reach GLOBAL PROPERTY PENDULON_LAYER_REACH_${used})
    list(APPEND allowed ${used_reach})
  endforeach()
  list(REMOVE_DUPLICATES allowed)

  set(checked "")
  set(compiled "")
  foreach(dir IN LISTS arg_DIRS)
    file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    file(GLOB dir_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h)
    list(APPEND checked ${dir_sources} ${dir_headers})
    list(APPEND compiled ${dir_sources})
  endforeach()
  foreach(excluded IN LISTS arg_EXCLUDE)
    list(REMOVE_ITEM compiled ${PROJECT_SOURCE_DIR}/${excluded})
  endforeach()

  # The check: it runs again whenever one of the layer's files changes.
  set(list_file ${PROJECT_BINARY_DIR}/layers/${name}.files)
  set(stamp ${PROJECT_BINARY_DIR}/layers/${name}.checked)
  string(REPLACE ";" "\n" list_text "${checked}")
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${list_text}\n")
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${name} "-DALLOWED=${allowed}" "-DLAYERS=${PENDULON_LAYER_NAMES}"
            -DROOT=${PROJECT_SOURCE_DIR} -DLIST=${list_file} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${checked} ${list_file} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking the includes of the ${name} layer"
    VERBATIM)
  add_custom_target(pendulon_${name}_layer_check DEPENDS ${stamp})
  set(PENDULON_LAYER_CHECK_${name} pendulon_${name}_layer_check PARENT_SCOPE)
  if(arg_CHECK_ONLY)
    return()
  endif()

  add_library(${arg_TARGET} STATIC ${compiled})
  add_dependencies(${arg_TARGET} pendulon_${name}_layer_check)
  foreach(visibility PUBLIC PRIVATE)
    set(used_layers ${arg_USES})
    if(visibility STREQUAL "PRIVATE")
      set(used_layers ${arg_PRIVATE_USES})
    endif()
    foreach(used IN LISTS used_layers)
      get_property(used_target GLOBAL PROPERTY PENDULON_LAYER_TARGET_${used})
      if(TARGET ${used_target})
        target_link_libraries(${arg_TARGET} ${visibility} ${used_target})
      endif()
    endforeach()
  endforeach()
endfunction()
