# The management library's operations, read from their one list
# (access/hxapi_operations.inc): talo_hx_operations holds their names, for
# the link-time wrappers and for what the simulator kit exports.
file(STRINGS ${PROJECT_SOURCE_DIR}/access/hxapi_operations.inc talo_hx_operation_lines
     REGEX "^HX_OPERATION\\(hx_[A-Za-z]+,")
set(talo_hx_operations)
foreach(line IN LISTS talo_hx_operation_lines)
  string(REGEX REPLACE "^HX_OPERATION\\((hx_[A-Za-z]+),.*" "\\1" operation "${line}")
  list(APPEND talo_hx_operations ${operation})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/access/hxapi_operations.inc)

# A shared library that exports exactly the given C names: a .def file on
# Windows, a version script elsewhere (which also keeps the library's own
# copies of everything it links to itself).
function(talo_export_only target)
  set(names ${ARGN})
  if(WIN32)
    set(def "EXPORTS\n")
    foreach(name IN LISTS names)
      string(APPEND def "  ${name}\n")
    endforeach()
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${target}.def "${def}")
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  else()
    set(script "{\n  global:\n")
    foreach(name IN LISTS names)
      string(APPEND script "    ${name};\n")
    endforeach()
    string(APPEND script "  local: *;\n};\n")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${target}.map "${script}")
    target_link_options(${target} PRIVATE "LINKER:--version-script=${CMAKE_CURRENT_BINARY_DIR}/${target}.map"
                                          "LINKER:-Bsymbolic")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  endif()
endfunction()
