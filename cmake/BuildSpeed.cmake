# What keeps a build short on a small machine (make test builds everything
# twice): a compiler cache when one is installed, the lld linker when it is
# installed, and precompiled Qt and GoogleTest headers.
# The presets also ask for line tables only (-g1) in place of full debug
# information: backtraces keep their files and lines, and compiling takes
# about a third less time. Configure with -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g"
# to step through variables in a debugger.

# A developer's second build is mostly cache hits. ccache caches files that
# use a precompiled header only with this sloppiness.
find_program(STEPVANE_CCACHE ccache)
if(STEPVANE_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER AND NOT DEFINED ENV{CCACHE_DISABLE})
  set(_launcher ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      ${STEPVANE_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${_launcher})
endif()

# lld links the test programs several times faster than the default linker.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld STEPVANE_HAVE_LLD)
if(STEPVANE_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()

# Precompiled headers (cmake/pch/): one per group of targets that compile
# with the same Qt libraries, built once by a small target of the group and
# reused by the others. GCC refuses a precompiled header whose macros differ
# (-Winvalid-pch with -Werror makes that an error); clang is stricter, so the
# fuzz build, the only clang one, goes without.
option(STEPVANE_PCH "Precompile the Qt and GoogleTest headers" ON)
set(_stepvane_use_pch OFF)
if(STEPVANE_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(_stepvane_use_pch ON)
endif()

# stepvane_pch_group(<group> <libraries>...): the group's header is
# cmake/pch/<group>.h, compiled against these libraries.
function(stepvane_pch_group group)
  if(NOT _stepvane_use_pch)
    return()
  endif()
  add_library(stepvane_pch_${group} OBJECT ${CMAKE_SOURCE_DIR}/cmake/pch/empty.cpp)
  target_link_libraries(stepvane_pch_${group} PRIVATE ${ARGN})
  target_precompile_headers(stepvane_pch_${group} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch/${group}.h)
  stepvane_warnings(stepvane_pch_${group})
endfunction()

# stepvane_use_pch(<target> <group>)
function(stepvane_use_pch target group)
  if(_stepvane_use_pch)
    target_precompile_headers(${target} REUSE_FROM stepvane_pch_${group})
  endif()
endfunction()

# Unity builds: each target's sources compile in batches of eight, so the
# headers and the templates they instantiate (Qt, GoogleTest) are compiled
# once a batch instead of once a file. A file whose file-local names clash
# with another's of its target by design (the CLI's self-registering
# commands) compiles on its own: stepvane_unity_skip(<files>...).
option(STEPVANE_UNITY "Compile each target's sources in batches (unity build)" ON)
if(STEPVANE_UNITY)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE 8)
endif()

function(stepvane_unity_skip)
  set_source_files_properties(${ARGN} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()
