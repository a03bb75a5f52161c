# The run-time tree: bin/thalvek with Shader/ (copied from the sources) and
# Data/, Textures/, SFX/ (made by the asset generator) beside bin/.
file(GLOB thalvek_shader_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/Shader/*)
set(thalvek_shader_copies)
foreach(src IN LISTS thalvek_shader_sources)
  get_filename_component(fname ${src} NAME)
  set(dst ${THALVEK_RUNTIME_DIR}/Shader/${fname})
  add_custom_command(OUTPUT ${dst}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${dst}
    DEPENDS ${src} VERBATIM)
  list(APPEND thalvek_shader_copies ${dst})
endforeach()
add_custom_target(thalvek_shaders ALL DEPENDS ${thalvek_shader_copies})
add_dependencies(thalvek thalvek_shaders)
if(TARGET thalvek_assets)
  add_dependencies(thalvek thalvek_assets)
endif()
