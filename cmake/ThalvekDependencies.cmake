# Every dependency comes from Debian's packages. Where a package ships a CMake
# config we use it; GLEW and OpenAL come through CMake's own find modules,
# Vorbis and Dear ImGui through pkg-config, and FreeImage (which ships
# neither) through cmake/FindFreeImage.cmake.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED)
find_package(glfw3 3.3 REQUIRED CONFIG)
find_package(GLEW REQUIRED)
find_package(glm REQUIRED CONFIG)
find_package(assimp REQUIRED CONFIG)
find_package(OpenAL REQUIRED)
find_package(FreeImage REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
# libimgui-dev: the library with its GLFW and OpenGL 3 backends built in;
# its imgui.pc pulls in stb (libstb-dev), which it is built against.
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)

if(NOT TARGET OpenAL::OpenAL)
  add_library(OpenAL::OpenAL INTERFACE IMPORTED)
  set_target_properties(OpenAL::OpenAL PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${OPENAL_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${OPENAL_LIBRARY}")
endif()
