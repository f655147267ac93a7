# vok_add_bundle(<name> DIR <folder> PLIST <Info.plist template> LAYER <layer>
#                [SUBTYPE <code>] SOURCES <files>... LIBRARIES <targets>...
#                [ARTWORK <editor> BITMAPS <resource ids>...])
#
# Builds a plug-in bundle as hosts find it:
#   <folder>/<name>.component/Contents/Info.plist   (the template, configured
#                                                    with @BUNDLE_NAME@ and @BUNDLE_SUBTYPE@)
#   <folder>/<name>.component/Contents/<arch folder>/<name>.so
#   <folder>/<name>.component/Contents/Resources/bmp00128.png …  (with ARTWORK:
#                                    the editor's bitmaps, drawn by tools/artwork)
# Its sources and the static libraries it links (framework, core, DSP) are
# compiled into it and hidden: it exports only what its sources mark visible,
# so bundles do not bind to each other in one process. The platform's shared
# libraries it links dynamically; its run path finds them in
# ${VOK_LIBRARY_DIR}, relative to the bundle, so a bundle copied together
# with them (install-plugins) finds them as well.
function(vok_add_bundle name)
  cmake_parse_arguments(BUNDLE "" "DIR;PLIST;SUBTYPE;LAYER;ARTWORK" "SOURCES;LIBRARIES;BITMAPS" ${ARGN})
  set(contents ${BUNDLE_DIR}/${name}.component/Contents)
  set(executable_dir ${contents}/${VOK_BUNDLE_ARCH_FOLDER})
  add_library(${name} MODULE ${BUNDLE_SOURCES})
  vok_target_layer(${name} ${BUNDLE_LAYER})
  target_link_libraries(${name} PRIVATE ${BUNDLE_LIBRARIES})
  # Symbols of the static libraries stay inside the bundle.
  target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
  vok_no_undefined(${name})
  vok_lto_link(${name})
  file(RELATIVE_PATH to_libraries ${executable_dir} ${VOK_LIBRARY_DIR})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${executable_dir}
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "$ORIGIN/${to_libraries}")
  set(BUNDLE_NAME ${name})
  configure_file(${BUNDLE_PLIST} ${contents}/Info.plist @ONLY)
  if(BUNDLE_ARTWORK)
    set(resources ${contents}/Resources)
    set(bitmaps "")
    foreach(id ${BUNDLE_BITMAPS})
      string(LENGTH ${id} digits)
      math(EXPR zeros "5 - ${digits}")
      string(REPEAT 0 ${zeros} padding)
      list(APPEND bitmaps ${resources}/bmp${padding}${id}.png)
    endforeach()
    add_custom_command(OUTPUT ${bitmaps}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${resources}
      COMMAND artwork ${BUNDLE_ARTWORK} ${resources}
      DEPENDS artwork
      COMMENT "Drawing the ${name} editor's bitmaps"
      VERBATIM)
    add_custom_target(${name}_artwork DEPENDS ${bitmaps})
    add_dependencies(${name} ${name}_artwork)
  endif()
endfunction()
