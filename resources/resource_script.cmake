# The resource compiler writes no dependency file, so the build tool would not see a
# changed header or picture and would keep a stale compiled script. Lists them for it.
# Usage: kestrin_resource_script_depends(<target whose sources hold regKestrin.rc>)
function(kestrin_resource_script_depends target)
  file(GLOB inputs CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/*.h
    ${CMAKE_SOURCE_DIR}/resources/*.manifest
    ${CMAKE_SOURCE_DIR}/resources/art/*.bmp
    ${CMAKE_SOURCE_DIR}/resources/art/*.ico)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/regKestrin.rc
    TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${inputs}")
endfunction()
