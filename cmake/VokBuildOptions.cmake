# vok_build_options: the compile and link flags every target of the project
# links, in place of global options.
#
# Outputs must not depend on the compiler's choice to fuse or reorder
# floating-point operations: no -ffast-math, no contraction, no -march=native.
add_library(vok_build_options INTERFACE)
target_compile_options(vok_build_options INTERFACE -Wall -Wextra -Werror -ffp-contract=off)
# GCC 12 warns of overlapping copies inside std::string at -O3 where there
# are none (its bug 105651), and, when linking with LTO, of string copies
# with impossible sizes on paths that cannot run; both come from its
# inlining of the standard library, not from our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(vok_build_options INTERFACE -Wno-restrict)
  target_link_options(vok_build_options INTERFACE -Wno-stringop-overflow)
endif()
# Run paths as DT_RUNPATH: searched after LD_LIBRARY_PATH, and only for the
# object's own dependencies.
target_link_options(vok_build_options INTERFACE -Wl,--enable-new-dtags)

if(VOK_SANITIZE)
  target_compile_options(vok_build_options INTERFACE
    -fsanitize=${VOK_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(vok_build_options INTERFACE -fsanitize=${VOK_SANITIZE})
endif()

if(VOK_FUZZERS)
  # Coverage for every library the fuzz targets reach.
  target_compile_options(vok_build_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# vok_no_undefined(<shared library or bundle>): every symbol resolves at link
# time, save a sanitizer's or libFuzzer's runtime, which the host executable
# brings.
function(vok_no_undefined target)
  if(NOT VOK_SANITIZE AND NOT VOK_FUZZERS)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

# Link-time optimisation, in Release builds, for what ships: the bundles and
# auhost (and the benchmarks, which measure them). The static libraries they
# are made of carry both the compiler's intermediate code, for those links,
# and machine code, for the plain links of the test programs. It changes no
# output bit.
include(CheckIPOSupported)
check_ipo_supported(RESULT VOK_IPO_SUPPORTED)
set(VOK_LTO ${VOK_IPO_SUPPORTED})
if(VOK_LTO AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # clang 14 cannot make objects usable by both kinds of link.
  set(VOK_LTO OFF)
endif()

# vok_lto_objects(<static library>...): objects fit for both kinds of link.
function(vok_lto_objects)
  if(VOK_LTO)
    foreach(target ${ARGN})
      set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
      target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-ffat-lto-objects>)
    endforeach()
  endif()
endfunction()

# vok_lto_link(<bundle or program>...): optimised across its whole code.
function(vok_lto_link)
  if(VOK_LTO)
    set_property(TARGET ${ARGN} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
  endif()
endfunction()
