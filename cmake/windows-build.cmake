# The cross build for Windows (MinGW-w64, see the toolchain files beside this
# one). The Linux-only parts of the project stay out of it: the media
# generator (its pictures, sounds and songs are taken from the Linux build,
# byte for byte), the Debian package, the fuzz targets, the benchmarks and
# the tests that need SDL, FLTK, X11 or POSIX processes.

# Wide-character Win32 calls where the common controls need them.
add_compile_definitions(UNICODE _UNICODE)

# Every program (the .scr, the tests, the preview host) lands in bin/, with
# the media beside as the program finds them there (as under the Windows
# directory): <folder of the .scr>/Zelvora/Vexmoor/.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
set(VEXMOOR_WINDOWS_MEDIA_DIR "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zelvora/Vexmoor")
set(VEXMOOR_MEDIA_DIR "${VEXMOOR_WINDOWS_MEDIA_DIR}")
set(VEXMOOR_LINUX_MEDIA_DIR "${CMAKE_SOURCE_DIR}/build/release/share/Zelvora/Vexmoor" CACHE PATH
    "The media directory a Linux build wrote (its pictures, sounds, songs and pages are copied as they are)")
if(NOT EXISTS "${VEXMOOR_LINUX_MEDIA_DIR}/v_background_top.bmp")
  message(FATAL_ERROR "No media in ${VEXMOOR_LINUX_MEDIA_DIR}: build the Linux media first "
                      "(scripts/build-windows does), or set VEXMOOR_LINUX_MEDIA_DIR")
endif()
# copy_directory copies every file as it is; the stamp makes a changed Linux
# media directory come across again on the next build.
file(GLOB VEXMOOR_LINUX_MEDIA_FILES CONFIGURE_DEPENDS "${VEXMOOR_LINUX_MEDIA_DIR}/*")
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/media.stamp"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${VEXMOOR_LINUX_MEDIA_DIR}" "${VEXMOOR_WINDOWS_MEDIA_DIR}"
  COMMAND ${CMAKE_COMMAND} -E touch "${CMAKE_BINARY_DIR}/media.stamp"
  DEPENDS ${VEXMOOR_LINUX_MEDIA_FILES}
  COMMENT "Copying the media from ${VEXMOOR_LINUX_MEDIA_DIR}")
add_custom_target(media ALL DEPENDS "${CMAKE_BINARY_DIR}/media.stamp")

# The manifest, icon and version resource (vexmoor_add_windows_resources).
add_subdirectory(packaging/windows)

# The program, with its manifest, icon and version; it finds its media
# beside itself.
add_subdirectory(src)
vexmoor_add_windows_resources(vexmoor)
add_dependencies(vexmoor media)

if(VEXMOOR_TESTS AND BUILD_TESTING)
  add_subdirectory(tests/windows)
endif()
