# Copies plug-in bundles and the platform libraries they link so that their
# run path finds the libraries: the bundles into PLUGIN_DIR, the libraries
# (if any: an LV2 bundle carries its own) into PLUGIN_DIR/../lib. Included by
# the generated install-plugins.cmake and install-lv2.cmake, which set bundles
# and libraries; run them with cmake -DPLUGIN_DIR=... -P.
if(NOT PLUGIN_DIR)
  message(FATAL_ERROR "Set PLUGIN_DIR")
endif()
string(REGEX REPLACE "(.)/+$" "\\1" plugin_dir "${PLUGIN_DIR}")
cmake_path(ABSOLUTE_PATH plugin_dir NORMALIZE)
cmake_path(GET plugin_dir PARENT_PATH prefix)
file(MAKE_DIRECTORY ${plugin_dir})
foreach(bundle ${bundles})
  cmake_path(GET bundle FILENAME folder)
  file(REMOVE_RECURSE ${plugin_dir}/${folder})
  file(COPY ${bundle} DESTINATION ${plugin_dir})
endforeach()
if(libraries)
  file(MAKE_DIRECTORY ${prefix}/lib)
  file(COPY ${libraries} DESTINATION ${prefix}/lib)
endif()
