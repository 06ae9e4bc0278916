# Byte-identical release builds of one commit, wherever the tree and the build folder are:
# no absolute paths from __FILE__ or debug info, and no link time in the executable's header.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # The build folder last: it may lie inside the source tree, and GCC tries the last map first.
  add_compile_options(
    "$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
    "$<$<NOT:$<CONFIG:Debug>>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
endif()
if(MINGW)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
