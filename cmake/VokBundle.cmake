# vok_add_bundle(<name> DIR <folder> PLIST <Info.plist template> [SUBTYPE <code>]
#                SOURCES <files>... LIBRARIES <targets>...)
#
# Builds a plug-in bundle as hosts find it:
#   <folder>/<name>.component/Contents/Info.plist   (the template, configured
#                                                    with @BUNDLE_NAME@ and @BUNDLE_SUBTYPE@)
#   <folder>/<name>.component/Contents/<arch folder>/<name>.so
# The library links its own copy of the libraries and exports only what its
# sources mark visible, so bundles do not bind to each other in one process.
function(vok_add_bundle name)
  cmake_parse_arguments(BUNDLE "" "DIR;PLIST;SUBTYPE" "SOURCES;LIBRARIES" ${ARGN})
  set(contents ${BUNDLE_DIR}/${name}.component/Contents)
  add_library(${name} MODULE ${BUNDLE_SOURCES})
  target_link_libraries(${name} PRIVATE ${BUNDLE_LIBRARIES})
  # Symbols of the static libraries stay inside the bundle.
  target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
  # Everything must resolve inside the bundle, save a sanitizer's runtime,
  # which the host executable brings.
  if(NOT VOK_SANITIZE)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${contents}/${VOK_BUNDLE_ARCH_FOLDER})
  set(BUNDLE_NAME ${name})
  configure_file(${BUNDLE_PLIST} ${contents}/Info.plist @ONLY)
endfunction()
