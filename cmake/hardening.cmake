# Debian's hardening of programs, as dpkg-buildflags gives it with
# hardening=+all: fortified C library calls (_FORTIFY_SOURCE), the stack
# protector, position-independent executables, and full RELRO (read-only
# relocations, every symbol bound at start: -z relro -z now). The flags are
# asked of dpkg-buildflags where it is installed; elsewhere the same set is
# given by hand. The optimisation level and debug information stay the build
# type's, and a build without optimisation gets no fortification (glibc
# refuses it there, with a warning).
find_program(VEXMOOR_DPKG_BUILDFLAGS dpkg-buildflags)
mark_as_advanced(VEXMOOR_DPKG_BUILDFLAGS)
if(VEXMOOR_DPKG_BUILDFLAGS)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${VEXMOOR_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(vexmoor_hardening_${kind} ${flags})
  endforeach()
  # -O2, -g and the map of the source directory (for reproducible packages
  # built where dpkg-buildflags runs) are not hardening.
  list(FILTER vexmoor_hardening_CXXFLAGS EXCLUDE REGEX "^-(O[0-9sgz]?|g[0-9a-z]*|ffile-prefix-map=.*)$")
else()
  set(vexmoor_hardening_CPPFLAGS -D_FORTIFY_SOURCE=2)
  set(vexmoor_hardening_CXXFLAGS -fstack-protector-strong -Wformat -Werror=format-security)
  set(vexmoor_hardening_LDFLAGS -Wl,-z,relro -Wl,-z,now)
endif()

foreach(flag IN LISTS vexmoor_hardening_CPPFLAGS)
  if(flag MATCHES "^-D_FORTIFY_SOURCE")
    add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${flag}>")
  else()
    add_compile_options("${flag}")
  endif()
endforeach()
add_compile_options(${vexmoor_hardening_CXXFLAGS})
add_link_options(${vexmoor_hardening_LDFLAGS})
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
message(STATUS "Hardening: ${vexmoor_hardening_CPPFLAGS} ${vexmoor_hardening_CXXFLAGS} ${vexmoor_hardening_LDFLAGS} PIE")
