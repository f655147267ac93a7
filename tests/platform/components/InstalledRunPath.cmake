# Installs the plug-in bundles with install-plugins' script into SCRATCH and
# loads each installed bundle with LOADER, which must find the platform in
# the installed lib/ folder.
file(REMOVE_RECURSE ${SCRATCH})
set(PLUGIN_DIR ${SCRATCH}/plugins)
include(${INSTALL_SCRIPT})
foreach(name FlangerUnit TiltEqUnit)
  execute_process(COMMAND ${LOADER} ${PLUGIN_DIR}/${name}.component/Contents/${ARCH_FOLDER}/${name}.so VokBaseEntry
                          ${SCRATCH}/lib
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${name}: the installed bundle did not load with the installed platform")
  endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
