# tavrix_add_library(<name> <sources...>): one subsystem library. Its headers
# are included as "folder/file.h" by the targets that link it, so the root is
# an include directory of the library's own, passed on only through links.
function(tavrix_add_library name)
  add_library(${name} ${ARGN})
  target_include_directories(${name} PUBLIC ${TAVRIX_ROOT})
endfunction()
