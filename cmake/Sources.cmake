# Collects the sources of every module. Each folder of src/ is globbed, so a new
# file needs no edit here; the platform layer takes the backends of this system.
set(VANTREL_MODULES shell installer net files gui textures)
set(VANTREL_BACKENDS posix x11)
if(WIN32)
  set(VANTREL_BACKENDS win32)
endif()

set(core_sources)
foreach(dir IN LISTS VANTREL_MODULES)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/src/${dir}/*.c)
  list(APPEND core_sources ${found})
endforeach()
foreach(dir IN LISTS VANTREL_BACKENDS)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/platform/${dir}/*.cpp)
  list(APPEND core_sources ${found})
endforeach()
# The Windows program's entry point is not part of the library.
list(FILTER core_sources EXCLUDE REGEX "/platform/win32/entry/")
file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/*.cpp)
list(APPEND core_sources ${found})

# The built-in artwork, generated at build time (art/art.cmake sets VANTREL_ART_SOURCES).
include(${CMAKE_SOURCE_DIR}/art/art.cmake)

add_library(vantrel_core STATIC ${core_sources} ${VANTREL_ART_SOURCES})
target_include_directories(vantrel_core PUBLIC
  ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
target_compile_definitions(vantrel_core PUBLIC
  VANTREL_SERVER_LIST_HOST="${VANTREL_SERVER_LIST_HOST}"
  VANTREL_STORE_URL="${VANTREL_STORE_URL}"
  VANTREL_WEB_SITE="${VANTREL_WEB_SITE}")
if(WIN32)
  # Win32, WGL and Winsock; a GUI program with its own entry point.
  target_link_libraries(vantrel_core PUBLIC vantrel_minizip ZLIB::ZLIB Threads::Threads
    opengl32 gdi32 user32 ws2_32 psapi shell32 ole32 advapi32)
  add_executable(vantrel-installer WIN32 ${CMAKE_SOURCE_DIR}/src/platform/win32/entry/vantrel_installer.cpp)
  target_link_libraries(vantrel-installer PRIVATE vantrel_core)
  # The entry point lives in the library; the start-up code's call comes too late
  # in the link to fetch it.
  target_link_options(vantrel-installer PRIVATE -Wl,--undefined=WinMain)
  # Outside src/platform/win32 the GL header comes without <windows.h>: the
  # installer's WinMain has the program's own parameter types.
  set(vantrel_part_sources ${core_sources})
  list(FILTER vantrel_part_sources EXCLUDE REGEX "/platform/win32/")
  set_source_files_properties(${vantrel_part_sources} PROPERTIES
    COMPILE_DEFINITIONS "WINGDIAPI=__declspec(dllimport);APIENTRY=__stdcall")
  return()
endif()
target_link_libraries(vantrel_core PUBLIC PkgConfig::MINIZIP ZLIB::ZLIB Threads::Threads ${CMAKE_DL_LIBS})
# The window and its drawing: Xlib, XRandR and GLX (Mesa).
find_package(X11 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
target_link_libraries(vantrel_core PUBLIC X11::X11 X11::Xrandr OpenGL::GL OpenGL::GLX)

add_executable(vantrel-installer ${CMAKE_SOURCE_DIR}/src/programs/vantrel_installer.cpp)
target_link_libraries(vantrel-installer PRIVATE vantrel_core)
