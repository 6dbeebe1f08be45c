# Dependencies of the Windows cross-build, and Wine to run its tests.
#  - zlib: the MinGW-w64 build of it (libz-mingw-w64-dev).
#  - GoogleTest: built from the source Debian ships (package googletest).
#  - nlohmann/json and CLI11: header-only, taken from the host's packages.
#  - Tests and test discovery run through wine64 with a prefix inside the build folder.

find_package(ZLIB REQUIRED)

# libdeflate has no MinGW-w64 build among Debian's packages: inflate with zlib alone
# unless one is found in the sysroot.
if(TESSARIN_WITH_LIBDEFLATE)
  find_path(LIBDEFLATE_INCLUDE_DIR libdeflate.h)
  find_library(LIBDEFLATE_LIBRARY NAMES deflate)
  if(NOT LIBDEFLATE_INCLUDE_DIR OR NOT LIBDEFLATE_LIBRARY)
    message(STATUS "libdeflate not found for Windows: inflating with zlib alone")
    set(TESSARIN_WITH_LIBDEFLATE OFF)
  endif()
endif()
# The window: against the static Qt that scripts/build-qt-mingw.sh makes once per
# machine (`make windows` runs it when missing).
if(TESSARIN_BUILD_UI)
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/build-qt-mingw.sh --prefix
    OUTPUT_VARIABLE TESSARIN_QT_MINGW OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS ${TESSARIN_QT_MINGW}/.complete)
    message(FATAL_ERROR "Qt for Windows is not built in ${TESSARIN_QT_MINGW}: `make windows` builds it "
      "(once per machine, about an hour on two cores), or build with -DTESSARIN_BUILD_UI=OFF")
  endif()
  list(APPEND CMAKE_FIND_ROOT_PATH ${TESSARIN_QT_MINGW})
  list(APPEND CMAKE_PREFIX_PATH ${TESSARIN_QT_MINGW})
  set(QT_HOST_PATH /usr)  # moc, rcc and uic of Debian's qt6-base-dev-tools
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
link_libraries(shell32)  # CommandLineToArgvW

set(TESSARIN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build with the cross compiler")
if(NOT EXISTS ${TESSARIN_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TESSARIN_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${TESSARIN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock)
  if(NOT TARGET GTest::${lib})  # newer GoogleTest sources define these names themselves
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()

# Only the libraries' own folders, never the host's whole /usr/include.
set(TESSARIN_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(dir nlohmann CLI)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} not found: install nlohmann-json3-dev and libcli11-dev")
  endif()
  file(MAKE_DIRECTORY ${TESSARIN_HOST_HEADERS})
  file(CREATE_LINK /usr/include/${dir} ${TESSARIN_HOST_HEADERS}/${dir} SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${TESSARIN_HOST_HEADERS})
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${TESSARIN_HOST_HEADERS})

# Debian's wine64 keeps its loader in Wine's library folder, off the PATH.
find_program(TESSARIN_WINE NAMES wine64 wine
  PATHS /usr/lib/wine /usr/lib64/wine /usr/lib/x86_64-linux-gnu/wine /opt/wine-stable/bin)
if(TESSARIN_WINE)
  set(TESSARIN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${TESSARIN_WINEPREFIX} WINEDEBUG=-all ${TESSARIN_WINE})
  # The first run creates the prefix; done here, once, so that parallel test
  # runs never race for it. A prefix whose system folder was left half made
  # (wineboot cut short on a loaded machine) loads no program: it is made anew.
  find_program(TESSARIN_WINESERVER NAMES wineserver64 wineserver
    PATHS /usr/lib/wine /usr/lib64/wine /usr/lib/x86_64-linux-gnu/wine /opt/wine-stable/bin)
  set(wine_kernel32 ${TESSARIN_WINEPREFIX}/drive_c/windows/system32/kernel32.dll)
  foreach(attempt 1 2)
    if(EXISTS ${wine_kernel32})
      break()
    endif()
    message(STATUS "Creating the Wine prefix in ${TESSARIN_WINEPREFIX}")
    file(REMOVE_RECURSE ${TESSARIN_WINEPREFIX})
    execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
      RESULT_VARIABLE wineboot_result OUTPUT_QUIET ERROR_QUIET)
    if(TESSARIN_WINESERVER)  # wait until the prefix is written out
      execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${TESSARIN_WINEPREFIX} ${TESSARIN_WINESERVER} -w
        OUTPUT_QUIET ERROR_QUIET)
    endif()
  endforeach()
  if(NOT EXISTS ${wine_kernel32})
    message(WARNING "wineboot failed (${wineboot_result}): the tests will create the prefix on first use")
  endif()
  # One Wine server for the whole test run, started by a test every other one
  # requires (see WineServer.cmake).
  if(TESSARIN_WINESERVER)
    # Deferred, like the comparison below: tests exist only once testing is enabled.
    cmake_language(DEFER CALL add_test NAME WineServerStart COMMAND ${CMAKE_COMMAND} -DWINE=${TESSARIN_WINE}
      -DWINESERVER=${TESSARIN_WINESERVER} -DWINEPREFIX=${TESSARIN_WINEPREFIX} -P ${CMAKE_SOURCE_DIR}/cmake/WineServer.cmake)
    cmake_language(DEFER CALL set_tests_properties WineServerStart PROPERTIES FIXTURES_SETUP WineServer)
    set(TESSARIN_TEST_FIXTURES FIXTURES_REQUIRED WineServer)
  endif()
else()
  message(WARNING "wine64 not found: the Windows programs build, but their tests cannot run here")
endif()

# The Linux and the Windows companion give the same results on the demo archive
# (made by the Linux build, TESSARIN_LINUX_BUILD, which `make test` builds first).
set(TESSARIN_LINUX_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "Linux build whose tessarin-cli the Windows one is compared with")
if(TESSARIN_WINE)
  cmake_language(DEFER CALL add_test NAME CliSameOnLinuxAndWindows
    COMMAND ${CMAKE_COMMAND} -DLINUX_CLI=${TESSARIN_LINUX_BUILD}/bin/tessarin-cli
      -DWINDOWS_CLI=${CMAKE_BINARY_DIR}/bin/tessarin-cli.exe -DWINE=${TESSARIN_WINE} -DWINEPREFIX=${TESSARIN_WINEPREFIX}
      -DARCHIVES=${TESSARIN_LINUX_BUILD}/demo/demo.arc -DWORK=${CMAKE_BINARY_DIR}/cli-compare
      -P ${CMAKE_SOURCE_DIR}/cmake/CompareCli.cmake)
  if(TESSARIN_WINESERVER)
    cmake_language(DEFER CALL set_tests_properties CliSameOnLinuxAndWindows PROPERTIES FIXTURES_REQUIRED WineServer)
  endif()
endif()

# Version information in the executables' resources (tessarin.exe adds its icon).
enable_language(RC)
function(tessarin_windows_resources target description)
  set(TESSARIN_RC_NAME ${target})
  set(TESSARIN_RC_DESCRIPTION ${description})
  string(JOIN "\n" TESSARIN_RC_EXTRA ${ARGN})
  configure_file(${CMAKE_SOURCE_DIR}/resources/windows/version.rc.in ${CMAKE_BINARY_DIR}/resources/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/resources/${target}.rc)
endfunction()
cmake_language(DEFER CALL tessarin_windows_resources tessarin-cli "Tessarin command-line companion for ARC archives")

# Each executable carries its version; the companion writes to a console as UTF-16.
find_program(TESSARIN_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
cmake_language(DEFER CALL add_test NAME WindowsExe.CliResourcesAndConsole
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:tessarin-cli> -DVERSION=${PROJECT_VERSION}
    -DOBJDUMP=${TESSARIN_MINGW_OBJDUMP} -DIMPORTS=WriteConsoleW -P ${CMAKE_SOURCE_DIR}/cmake/CheckWindowsExe.cmake)

# A virtual display for the tests that need a screen under Wine, numbered from
# the build folder so that several builds on one machine do not meet.
find_program(TESSARIN_XVFB Xvfb)
if(TESSARIN_WINE AND TESSARIN_XVFB)
  string(SHA1 build_hash ${CMAKE_BINARY_DIR})
  string(SUBSTRING ${build_hash} 0 4 build_hash)
  math(EXPR TESSARIN_TEST_DISPLAY "0x${build_hash} % 800 + 100")
  # Deferred: tests exist only once testing is enabled.
  function(tessarin_display_tests)
    foreach(action start stop)
      add_test(NAME WineDisplay.${action} COMMAND ${CMAKE_COMMAND} -DACTION=${action}
        -DNUMBER=${TESSARIN_TEST_DISPLAY} -DXVFB=${TESSARIN_XVFB} -DSTATE=${CMAKE_BINARY_DIR}/display
        -P ${CMAKE_SOURCE_DIR}/cmake/XvfbDisplay.cmake)
    endforeach()
    set_tests_properties(WineDisplay.start PROPERTIES FIXTURES_SETUP WineDisplay)
    set_tests_properties(WineDisplay.stop PROPERTIES FIXTURES_CLEANUP WineDisplay)
    # The console test of the core's tests, on a console with a screen.
    add_test(NAME WindowsConsole.TextReadsRight
      COMMAND ${CMAKE_COMMAND} -E env DISPLAY=:${TESSARIN_TEST_DISPLAY}
        WINEPREFIX=${TESSARIN_WINEPREFIX} WINEDEBUG=-all ${TESSARIN_WINE}
        ${CMAKE_BINARY_DIR}/bin/test_core.exe --gtest_filter=ConsoleText.*)
    set_tests_properties(WindowsConsole.TextReadsRight PROPERTIES FIXTURES_REQUIRED "WineServer;WineDisplay" RUN_SERIAL TRUE)
  endfunction()
  cmake_language(DEFER CALL tessarin_display_tests)
endif()
