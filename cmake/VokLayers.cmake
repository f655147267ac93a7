# vok_layer(<name> <top-level folder>...)
#
# Sources include headers by their path from the repository root
# ("au/AUBase.h"). A layer sees only the folders it may use: its include
# directory, <build>/layers/<name>, holds a link to each of those folders and
# nothing else, so including from any other folder fails to compile.
# vok_layer_<name> is the interface target that carries it; vok_target_layer
# gives a target its layer and the project's build options.
function(vok_layer name)
  set(dir ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${dir})
  # Links a changed layer no longer has.
  file(GLOB present RELATIVE ${dir} ${dir}/*)
  foreach(entry ${present})
    if(NOT entry IN_LIST ARGN)
      file(REMOVE ${dir}/${entry})
    endif()
  endforeach()
  foreach(folder ${ARGN})
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder})
      message(FATAL_ERROR "layer ${name}: no folder ${folder}")
    endif()
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
  endforeach()
  add_library(vok_layer_${name} INTERFACE)
  target_include_directories(vok_layer_${name} INTERFACE ${dir})
endfunction()

# vok_target_layer(<target> <layer>)
function(vok_target_layer target layer)
  target_link_libraries(${target} PRIVATE vok_build_options vok_layer_${layer})
endfunction()
