# Installation (cmake --install) and the Debian package (cpack -G DEB).
#
# The run-time tree goes to <prefix>/lib/thalvek/ as the build lays it out:
# bin/thalvek with Shader/, Data/, Textures/ and SFX/ beside bin/, and the
# recorder in tools/. The program opens its files relative to its working
# directory, so <prefix>/bin holds launchers that change into the tree's
# bin/ and run the real executables there. The desktop entry, the icon, the
# manual pages and the documentation go where a desktop and Debian look.

set(THALVEK_INSTALL_TREE lib/thalvek)
set(thalvek_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(thalvek_generated ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS thalvek RUNTIME DESTINATION ${THALVEK_INSTALL_TREE}/bin)
install(TARGETS thalvek_record RUNTIME DESTINATION ${THALVEK_INSTALL_TREE}/tools)
# The shaders straight from the sources: the build's copies may include
# files since removed from Shader/.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Shader DESTINATION ${THALVEK_INSTALL_TREE})
install(DIRECTORY ${THALVEK_RUNTIME_DIR}/Data ${THALVEK_RUNTIME_DIR}/Textures ${THALVEK_RUNTIME_DIR}/SFX
        DESTINATION ${THALVEK_INSTALL_TREE})

# thalvek_launcher(<name> <program in the tree> <options taking a path>...)
function(thalvek_launcher name program)
  set(THALVEK_LAUNCHER_NAME ${name})
  set(THALVEK_LAUNCHED ${program})
  file(RELATIVE_PATH THALVEK_TREE_FROM_LAUNCHER /prefix/bin /prefix/${THALVEK_INSTALL_TREE})
  list(JOIN ARGN " " THALVEK_PATH_OPTIONS)
  configure_file(${thalvek_packaging}/launcher.sh.in ${thalvek_generated}/launchers/${name} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
  install(PROGRAMS ${thalvek_generated}/launchers/${name} DESTINATION bin)
endfunction()
thalvek_launcher(thalvek bin/thalvek --screenshots --benchmark-csv)
thalvek_launcher(thalvek-record tools/thalvek-record --output)

install(FILES ${thalvek_packaging}/thalvek.desktop DESTINATION share/applications)
install(FILES ${THALVEK_RUNTIME_DIR}/icons/thalvek.png DESTINATION share/icons/hicolor/256x256/apps)

# Debian wants manual pages and the changelog compressed with gzip -9, and
# -n keeps the files the same from build to build.
find_program(THALVEK_GZIP gzip REQUIRED)
function(thalvek_gzip file)
  execute_process(COMMAND ${THALVEK_GZIP} -9nkf ${file} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
foreach(page thalvek thalvek-record)
  configure_file(${thalvek_packaging}/${page}.6.in ${thalvek_generated}/man/${page}.6 @ONLY)
  thalvek_gzip(${thalvek_generated}/man/${page}.6)
  install(FILES ${thalvek_generated}/man/${page}.6.gz DESTINATION share/man/man6)
endforeach()

# The changelog is written by hand; its newest entry must be this version,
# and its author is the package's maintainer.
file(STRINGS ${thalvek_packaging}/changelog thalvek_changelog_top LIMIT_COUNT 1)
if(NOT thalvek_changelog_top MATCHES "^thalvek \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not ${PROJECT_VERSION} "
                      "('${thalvek_changelog_top}'): add an entry for the new version")
endif()
file(STRINGS ${thalvek_packaging}/changelog thalvek_changelog_signature REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- (.*>)  .*$" "\\1" THALVEK_PACKAGE_MAINTAINER "${thalvek_changelog_signature}")
configure_file(${thalvek_packaging}/changelog ${thalvek_generated}/doc/changelog COPYONLY)
thalvek_gzip(${thalvek_generated}/doc/changelog)

# The copyright file in Debian's machine-readable format, made from LICENSE
# (Debian calls the MIT licence "Expat"): the notice's holder, then the
# licence text as a field's continuation lines.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE thalvek_license)
if(NOT thalvek_license MATCHES "Copyright \\(c\\) ([^\n]+)\n")
  message(FATAL_ERROR "LICENSE has no copyright line")
endif()
set(thalvek_holder ${CMAKE_MATCH_1})
string(FIND "${thalvek_license}" "Permission is hereby granted" thalvek_terms_start)
string(SUBSTRING "${thalvek_license}" ${thalvek_terms_start} -1 thalvek_terms)
string(STRIP "${thalvek_terms}" thalvek_terms)
string(REPLACE "\n\n" "\n.\n" thalvek_terms "${thalvek_terms}")
string(REPLACE "\n" "\n " thalvek_terms "${thalvek_terms}")
file(WRITE ${thalvek_generated}/doc/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Thalvek
Upstream-Contact: ${THALVEK_PACKAGE_MAINTAINER}

Files: *
Copyright: ${thalvek_holder}
License: Expat
 ${thalvek_terms}
")
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${thalvek_generated}/doc/copyright
              ${thalvek_generated}/doc/changelog.gz
        DESTINATION share/doc/thalvek)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME thalvek)
set(CPACK_PACKAGE_VENDOR "The Thalvek developers")
set(CPACK_PACKAGE_CONTACT ${THALVEK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"real-time 3D demo of a campfire in a night clearing
Thalvek shows a night clearing in the woods with a campfire and a pool,
lit by the fire and the moon, in OpenGL 3.3: point-sprite flames and
smoke, soft shadows from the fire, heat haze, water that reflects the
scene, a night sky and a 50-second camera tour, with the fire's crackling
placed in 3D through OpenAL.

thalvek-record records the tour as an MP4 video with its sound, at full
speed however slowly the machine renders it; it needs ffmpeg.")
# Depends: the packages of the shared libraries the executables link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
