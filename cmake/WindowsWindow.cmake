# The window for Windows (included by ui/CMakeLists.txt in the MinGW-w64 build,
# against the static Qt of scripts/build-qt-mingw.sh):
#  - the pictures as PNG, rendered from the SVG files by a host tool, since that
#    Qt has no SVG module; the program's icon as an .ico in its resources;
#  - Qt's Simplified Chinese translation (Debian's qt6-translations-l10n) embedded;
#  - the image-format plugins linked in, the offscreen platform for test_ui;
#  - a GUI-subsystem executable with version information.

# The host tool, built once per build folder with the host's compiler and Qt.
set(pictures_tool_dir ${CMAKE_BINARY_DIR}/host-pictures)
set(pictures_tool ${pictures_tool_dir}/render_pictures)
if(NOT EXISTS ${pictures_tool})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=CMAKE_TOOLCHAIN_FILE
      ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR}/ui/pictures -B ${pictures_tool_dir} -G Ninja -DCMAKE_BUILD_TYPE=Release
    RESULT_VARIABLE result OUTPUT_QUIET)
  if(result EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${pictures_tool_dir} RESULT_VARIABLE result OUTPUT_QUIET)
  endif()
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not build the host tool that renders the pictures (needs g++, qt6-base-dev and qt6-svg-dev)")
  endif()
endif()

file(GLOB svg_pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.svg)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${svg_pictures})
set(pictures ${CMAKE_BINARY_DIR}/pictures)
file(MAKE_DIRECTORY ${pictures})
set(picture_sizes 16 32 48 96)
string(REPLACE ";" "," size_list "${picture_sizes}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    ${pictures_tool} ${pictures} ${size_list} ${svg_pictures} RESULT_VARIABLE pictures_result)
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    ${pictures_tool} --icon ${pictures}/tessarin.ico 16,32,48,256 ${CMAKE_SOURCE_DIR}/resources/icons/tessarin.svg
  RESULT_VARIABLE icon_result)
if(NOT pictures_result EQUAL 0 OR NOT icon_result EQUAL 0)
  message(FATAL_ERROR "Rendering the pictures into ${pictures} failed")
endif()
set(png_pictures "")
foreach(svg ${svg_pictures})
  get_filename_component(name ${svg} NAME_WE)
  foreach(size ${picture_sizes})
    list(APPEND png_pictures ${pictures}/${name}-${size}.png)
  endforeach()
endforeach()
qt_add_resources(tessarin_ui tessarin_pictures PREFIX /icons BASE ${pictures} FILES ${png_pictures})
target_compile_definitions(tessarin_ui PRIVATE TESSARIN_PICTURES_AS_PNG)

# Qt's own texts (buttons of message boxes and file dialogs) in Chinese.
set(TESSARIN_QT_TRANSLATIONS /usr/share/qt6/translations CACHE PATH "Qt's .qm files (Debian package qt6-translations-l10n)")
if(NOT EXISTS ${TESSARIN_QT_TRANSLATIONS}/qtbase_zh_CN.qm)
  message(FATAL_ERROR "${TESSARIN_QT_TRANSLATIONS}/qtbase_zh_CN.qm not found: install qt6-translations-l10n")
endif()
qt_add_resources(tessarin_ui tessarin_translations PREFIX /translations BASE ${TESSARIN_QT_TRANSLATIONS}
  FILES ${TESSARIN_QT_TRANSLATIONS}/qtbase_zh_CN.qm)

# A static Qt links plugins only where asked.
qt_import_plugins(tessarin INCLUDE Qt6::QWindowsIntegrationPlugin Qt6::QWindowsVistaStylePlugin
  Qt6::QTgaPlugin Qt6::QTiffPlugin Qt6::QWebpPlugin)
if(TARGET test_ui)
  qt_import_plugins(test_ui INCLUDE Qt6::QOffscreenIntegrationPlugin Qt6::QWindowsIntegrationPlugin
    Qt6::QTgaPlugin Qt6::QTiffPlugin Qt6::QWebpPlugin)
endif()
set_target_properties(tessarin PROPERTIES WIN32_EXECUTABLE ON)
# Made by running a program at build time (the smoke test takes the Linux build's
# demo archive instead), and the benchmarks time child processes with POSIX calls.
get_property(ui_targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
foreach(target ${ui_targets})
  if(target MATCHES "^(demo_archive|make_demo)$" OR target MATCHES "^bench_ui_")
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
endforeach()
tessarin_windows_resources(tessarin "Tessarin - ARC archive browser and editor"
  "IDI_ICON1 ICON \"${pictures}/tessarin.ico\"")

# The window made with the Windows platform plugin on a virtual display opens the
# archive given on its command line: its caption is read back (see WindowSmoke.sh).
find_program(TESSARIN_XDOTOOL xdotool)
if(TESSARIN_WINE AND TESSARIN_WINESERVER AND TESSARIN_XVFB AND TESSARIN_XDOTOOL)
  function(tessarin_window_smoke_test)
    add_test(NAME WindowsWindow.OpensArchiveOnCommandLine
      COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/WindowSmoke.sh ${TESSARIN_WINE} ${TESSARIN_WINESERVER}
        ${CMAKE_BINARY_DIR}/window-smoke-prefix
        :${TESSARIN_TEST_DISPLAY} $<TARGET_FILE:tessarin> ${TESSARIN_LINUX_BUILD}/demo/demo.arc
        ${CMAKE_BINARY_DIR}/window-smoke)
    set_tests_properties(WindowsWindow.OpensArchiveOnCommandLine PROPERTIES
      FIXTURES_REQUIRED WineDisplay TIMEOUT 600 RUN_SERIAL TRUE)
  endfunction()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL tessarin_window_smoke_test)
endif()
