# The Windows program's libraries, for the cross-build (cmake/mingw-w64.cmake):
# zlib of the target (libz-mingw-w64-dev, linked statically) and minizip, which
# Debian packages only for Linux, compiled from the contrib/minizip folder of the
# zlib source package that scripts/setup-win.sh fetches (VANTREL_MINIZIP_SOURCE).
# Everything is linked statically, so the .exe needs only the system's DLLs.
set(VANTREL_MINIZIP_SOURCE "" CACHE PATH "contrib/minizip of the zlib source package")
if(NOT EXISTS "${VANTREL_MINIZIP_SOURCE}/unzip.c")
  message(FATAL_ERROR "VANTREL_MINIZIP_SOURCE must name zlib's contrib/minizip (scripts/setup-win.sh fetches it)")
endif()

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

add_library(vantrel_minizip STATIC
  ${VANTREL_MINIZIP_SOURCE}/unzip.c ${VANTREL_MINIZIP_SOURCE}/zip.c ${VANTREL_MINIZIP_SOURCE}/ioapi.c)
target_include_directories(vantrel_minizip SYSTEM PUBLIC ${VANTREL_MINIZIP_SOURCE})
target_link_libraries(vantrel_minizip PUBLIC ZLIB::ZLIB)
target_compile_options(vantrel_minizip PRIVATE -w)  # not our code

# The C and C++ runtimes and winpthread go into the program.
add_link_options(-static -static-libgcc -static-libstdc++)
