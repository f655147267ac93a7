# Copies plug-in bundles and the platform libraries they link so that their
# run path finds the libraries: the bundles into PLUGIN_DIR, the libraries
# into PLUGIN_DIR/../lib. Included by the generated install-plugins.cmake,
# which sets bundles and libraries; run that with cmake -DPLUGIN_DIR=... -P.
if(NOT PLUGIN_DIR)
  message(FATAL_ERROR "Set PLUGIN_DIR")
endif()
string(REGEX REPLACE "(.)/+$" "\\1" plugin_dir "${PLUGIN_DIR}")
cmake_path(ABSOLUTE_PATH plugin_dir NORMALIZE)
cmake_path(GET plugin_dir PARENT_PATH prefix)
file(MAKE_DIRECTORY ${plugin_dir} ${prefix}/lib)
foreach(bundle ${bundles})
  cmake_path(GET bundle FILENAME folder)
  file(REMOVE_RECURSE ${plugin_dir}/${folder})
  file(COPY ${bundle} DESTINATION ${plugin_dir})
endforeach()
file(COPY ${libraries} DESTINATION ${prefix}/lib)
