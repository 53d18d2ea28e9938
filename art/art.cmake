# The built-in artwork: vantrel_artgen (built for this machine) draws the four
# images from code and the DejaVu fonts, and writes them as raw RGBA files plus a
# header and a source that embed them as constant arrays. Included from
# cmake/Sources.cmake; sets VANTREL_ART_SOURCES for the core library.
find_file(VANTREL_FONT_REGULAR DejaVuSans.ttf PATHS /usr/share/fonts/truetype/dejavu REQUIRED
          NO_CMAKE_FIND_ROOT_PATH)
find_file(VANTREL_FONT_BOLD DejaVuSans-Bold.ttf PATHS /usr/share/fonts/truetype/dejavu REQUIRED
          NO_CMAKE_FIND_ROOT_PATH)

if(CMAKE_CROSSCOMPILING)
  # A cross-build runs the generator of a build for this machine (VANTREL_ARTGEN).
  set(VANTREL_ARTGEN "" CACHE FILEPATH "vantrel_artgen built for the build machine")
  if(NOT EXISTS "${VANTREL_ARTGEN}")
    message(FATAL_ERROR "VANTREL_ARTGEN must name a vantrel_artgen built for this machine")
  endif()
  add_executable(vantrel_artgen IMPORTED)
  set_target_properties(vantrel_artgen PROPERTIES IMPORTED_LOCATION ${VANTREL_ARTGEN})
else()
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  file(GLOB artgen_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/art/*.cpp)
  add_executable(vantrel_artgen ${artgen_sources})
  target_link_libraries(vantrel_artgen PRIVATE PkgConfig::FREETYPE m)
  set_target_properties(vantrel_artgen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/art)
endif()

set(art_out ${CMAKE_BINARY_DIR}/generated)
set(VANTREL_ART_SOURCES ${art_out}/ins_texes_data.c ${art_out}/ins_texes_data.h)
add_custom_command(
  OUTPUT ${art_out}/ins_texes_data.h ${art_out}/ins_texes_data.c
         ${art_out}/t_interface.rgba ${art_out}/t_installer.rgba
         ${art_out}/t_ins_back_1.rgba ${art_out}/t_ins_back_2.rgba
  COMMAND ${CMAKE_COMMAND} -E make_directory ${art_out}
  COMMAND vantrel_artgen --out ${art_out} --font ${VANTREL_FONT_REGULAR}
          --bold ${VANTREL_FONT_BOLD}
  DEPENDS vantrel_artgen ${VANTREL_ARTGEN} ${VANTREL_FONT_REGULAR} ${VANTREL_FONT_BOLD}
  COMMENT "Drawing the built-in artwork"
  VERBATIM)
set_source_files_properties(${art_out}/ins_texes_data.c PROPERTIES
  OBJECT_DEPENDS "${art_out}/t_interface.rgba;${art_out}/t_installer.rgba;${art_out}/t_ins_back_1.rgba;${art_out}/t_ins_back_2.rgba")
