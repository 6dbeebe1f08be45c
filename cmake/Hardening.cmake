# The hardening Debian builds packages with (dpkg-buildflags, every feature:
# FORTIFY_SOURCE, stack protector, relro and BIND_NOW), for the native build
# that `make package` packs. The sanitizer, ThreadSanitizer and fuzz builds
# bring their own instrumentation and the Windows cross-build its own
# toolchain, so they are left as they are.
if(WIN32 OR TESSARIN_SANITIZE OR TESSARIN_TSAN OR TESSARIN_FUZZ)
  return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  return()
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${kind}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
  # Optimisation and debug information stay the build type's; the path
  # mapping is left out so that the shared compiler cache keeps hitting.
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^(-O[0-9s]?|-g|-ffile-prefix-map=.*)$")
  if(kind STREQUAL "LDFLAGS")
    add_link_options(${flags})
  else()
    add_compile_options(${flags})
  endif()
endforeach()
