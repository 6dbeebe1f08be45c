# Installation layout and packages.
#
# Linux (make package, a Debian package through CPack): the executables and
# ExtType.Dll together in /usr/lib/tessarin, where the programs find the type
# table beside their real executable, with links in /usr/bin; the desktop
# entry, the icon, the AppStream metadata, the man pages and the bash
# completion in their usual places, the MIME type of ARC archives, the
# machine-readable copyright and the changelog. Dependencies come from
# dpkg-shlibdeps, plus a CJK font and Qt's translations the window needs.
#
# Windows (make package-windows, a zip through CPack): the executables with
# ExtType.Dll beside them, the licence, a note for users in Chinese and the
# licences of the libraries linked into the static executables.

include(GNUInstallDirs)
set(CPACK_PACKAGE_NAME tessarin)
set(CPACK_PACKAGE_VENDOR "Tessarin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browse, export and replace the entries of ARC archives")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS tessarin-cli RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/ExtType.Dll ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)
  # A short note in Chinese for Windows users (UTF-8 with BOM, CR LF), naming the window when it is built.
  set(TESSARIN_WINDOW_ROW "")
  if(TESSARIN_BUILD_UI)
    file(READ ${CMAKE_SOURCE_DIR}/resources/windows/window-row.txt TESSARIN_WINDOW_ROW)
    # configure_file gives CR LF to the template's own lines, not to those a value brings.
    string(REPLACE "\n" "\r\n" TESSARIN_WINDOW_ROW "${TESSARIN_WINDOW_ROW}")
    install(TARGETS tessarin RUNTIME DESTINATION .)
    # Qt's, those of the libraries it bundles, and libsquish's, as scripts/build-qt-mingw.sh gathered them.
    install(DIRECTORY ${TESSARIN_QT_MINGW}/licences/ DESTINATION licences)
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/resources/windows/说明.txt.in ${CMAKE_BINARY_DIR}/说明.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/说明.txt DESTINATION .)
  # The libraries compiled into tessarin-cli.exe, with the Debian packages that carry their licences.
  foreach(pair "zlib=libz-mingw-w64-dev" "CLI11=libcli11-dev" "nlohmann-json=nlohmann-json3-dev"
               "mingw-w64-runtime=mingw-w64-x86-64-dev" "gcc-runtime=gcc-mingw-w64-base")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 library)
    list(GET pair 1 package)
    set(text /usr/share/doc/${package}/copyright)
    if(EXISTS ${text})
      install(FILES ${text} DESTINATION licences RENAME ${library}.txt)
    else()  # the package's check then finds it missing
      message(WARNING "${text} not found: the licence of ${library} goes into the Windows package")
    endif()
  endforeach()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tessarin-${PROJECT_VERSION}-windows-x86_64)
  include(CPack)
  return()
endif()

set(TESSARIN_PROGRAM_DIR lib/tessarin)
install(TARGETS tessarin-cli RUNTIME DESTINATION ${TESSARIN_PROGRAM_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/ExtType.Dll DESTINATION ${TESSARIN_PROGRAM_DIR})

# Links in bin to the executables: relative, made here and installed as links.
set(TESSARIN_LINKS ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${TESSARIN_LINKS})
set(programs tessarin-cli)
if(TESSARIN_BUILD_UI)
  list(APPEND programs tessarin)
endif()
foreach(program ${programs})
  file(CREATE_LINK ../${TESSARIN_PROGRAM_DIR}/${program} ${TESSARIN_LINKS}/${program} SYMBOLIC)
  install(FILES ${TESSARIN_LINKS}/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# Man pages, compressed as Debian keeps them.
foreach(page tessarin.1 tessarin-cli.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/docs/${page} > ${CMAKE_BINARY_DIR}/man/${page}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/${page})
  list(APPEND TESSARIN_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${TESSARIN_MAN_PAGES})
install(FILES ${TESSARIN_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_SOURCE_DIR}/resources/completion/tessarin-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The copyright and the changelog, where Debian keeps them (the changelog
# compressed, with the package's version).
configure_file(${CMAKE_SOURCE_DIR}/resources/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/debian/changelog > ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessarin)

if(TESSARIN_BUILD_UI)
  install(TARGETS tessarin RUNTIME DESTINATION ${TESSARIN_PROGRAM_DIR})
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tessarin.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/tessarin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # .arc files a file manager opens with the window (the desktop entry names the type).
  install(FILES ${CMAKE_SOURCE_DIR}/resources/tessarin-arc.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME tessarin.xml)
  configure_file(${CMAKE_SOURCE_DIR}/resources/io.github.tessarin.Tessarin.metainfo.xml
    ${CMAKE_BINARY_DIR}/io.github.tessarin.Tessarin.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/io.github.tessarin.Tessarin.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessarin developers <tessarin@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Added to what dpkg-shlibdeps finds: the interface is Chinese, so a CJK font;
# Qt's own dialogs in Chinese; the TGA, TIFF and WebP previews.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins")
# The extended description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tessarin opens ARC archives (files that hold many zlib-compressed resource
files) and shows their entries as a folder tree: export one entry or all of
them, replace an entry's data, import an edited export folder, check an
archive. Every change is one atomic rewrite. The command-line companion
tessarin-cli does the same from a terminal.")
include(CPack)
