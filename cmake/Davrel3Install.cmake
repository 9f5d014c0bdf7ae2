# What `cmake --install` puts where: the two programs into bin; the desktop
# entry, the icon (drawing and pictures), the AppStream metainfo and the man
# pages into share; the README into doc.

# The application's reverse-DNS id: the desktop entry, the icon and the
# metainfo are all named after it.
set(DAVREL3_APP_ID org.davrel3.Davrel3)
set(DAVREL3_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(DAVREL3_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${DAVREL3_PACKAGING_OUT})
# The package's name, not the project's, as Debian lays out share/doc.
set(DAVREL3_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/davrel3)

install(TARGETS davrel3-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${DAVREL3_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${DAVREL3_DOCDIR}/docs)

# The runner's man page, made from its --help by help2man, with the sections
# --help does not have (exit status, examples) from davrel3-batch.h2m. The
# runner is started by name, so the page shows "davrel3-batch", not the path
# of the build tree.
find_program(DAVREL3_HELP2MAN help2man)
find_program(DAVREL3_GZIP gzip)
if(DAVREL3_HELP2MAN AND DAVREL3_GZIP)
  set(page ${DAVREL3_PACKAGING_OUT}/davrel3-batch.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env "PATH=$<TARGET_FILE_DIR:davrel3-batch>:$ENV{PATH}"
            ${DAVREL3_HELP2MAN} --no-info --section=1
            "--name=run the Davrel3 work-group simulation without a window"
            --version-string=${PROJECT_VERSION}
            --include=${DAVREL3_PACKAGING}/davrel3-batch.h2m
            --output=${page} davrel3-batch
    COMMAND ${DAVREL3_GZIP} -9nf ${page}
    DEPENDS davrel3-batch ${DAVREL3_PACKAGING}/davrel3-batch.h2m
    COMMENT "Writing the man page of davrel3-batch"
    VERBATIM)
  add_custom_target(davrel3-batch-man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  davrel3_skip("the man page of davrel3-batch" "help2man not found")
endif()

if(NOT TARGET davrel3)
  return()
endif()

install(TARGETS davrel3 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The program's own man page, written by hand: it takes no options.
configure_file(${DAVREL3_PACKAGING}/davrel3.1.in ${DAVREL3_PACKAGING_OUT}/davrel3.1 @ONLY)
if(DAVREL3_GZIP)
  add_custom_command(
    OUTPUT ${DAVREL3_PACKAGING_OUT}/davrel3.1.gz
    COMMAND ${DAVREL3_GZIP} -9nkf ${DAVREL3_PACKAGING_OUT}/davrel3.1
    DEPENDS ${DAVREL3_PACKAGING_OUT}/davrel3.1
    VERBATIM)
  add_custom_target(davrel3-man ALL DEPENDS ${DAVREL3_PACKAGING_OUT}/davrel3.1.gz)
  install(FILES ${DAVREL3_PACKAGING_OUT}/davrel3.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${DAVREL3_PACKAGING_OUT}/davrel3.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

configure_file(${DAVREL3_PACKAGING}/davrel3.desktop.in
               ${DAVREL3_PACKAGING_OUT}/${DAVREL3_APP_ID}.desktop @ONLY)
install(FILES ${DAVREL3_PACKAGING_OUT}/${DAVREL3_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The release the metainfo names is this version, dated by the commit it is
# built from; outside a git checkout there is no date to give, so none is.
set(DAVREL3_RELEASES_XML "")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%cs
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND date MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
    set(DAVREL3_RELEASES_XML
        "  <releases>\n    <release version=\"${PROJECT_VERSION}\" date=\"${date}\"/>\n  </releases>\n")
  endif()
endif()
configure_file(${DAVREL3_PACKAGING}/davrel3.metainfo.xml.in
               ${DAVREL3_PACKAGING_OUT}/${DAVREL3_APP_ID}.metainfo.xml @ONLY)
install(FILES ${DAVREL3_PACKAGING_OUT}/${DAVREL3_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the drawing for every size, and pictures of the usual sizes drawn
# from it at build time (with Qt Svg, which the program needs anyway).
set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${DAVREL3_PACKAGING}/davrel3.svg
        DESTINATION ${icons}/scalable/apps RENAME ${DAVREL3_APP_ID}.svg)
add_executable(davrel3-render-icon ${DAVREL3_PACKAGING}/render_icon.cpp)
target_link_libraries(davrel3-render-icon PRIVATE Qt6::Gui Qt6::Svg)
set(pictures "")
foreach(size 16 22 24 32 48 64 128 256 512)
  set(picture ${DAVREL3_PACKAGING_OUT}/icon-${size}.png)
  add_custom_command(
    OUTPUT ${picture}
    COMMAND davrel3-render-icon ${DAVREL3_PACKAGING}/davrel3.svg ${size} ${picture}
    DEPENDS davrel3-render-icon ${DAVREL3_PACKAGING}/davrel3.svg
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND pictures ${picture})
  install(FILES ${picture} DESTINATION ${icons}/${size}x${size}/apps RENAME ${DAVREL3_APP_ID}.png)
endforeach()
add_custom_target(davrel3-icons ALL DEPENDS ${pictures})
