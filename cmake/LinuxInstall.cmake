# What `cmake --install` puts in place on Linux, under the GNU install folders:
#   bin/quarnel
#   share/applications/<id>.desktop           the menu entry
#   share/metainfo/<id>.metainfo.xml          AppStream data for software centres
#   share/icons/hicolor/<n>x<n>/apps/<id>.png (16 to 256, drawn from the SVG)
#   share/icons/hicolor/scalable/apps/<id>.svg
#   share/man/man1/quarnel.1.gz
#   share/doc/quarnel/QuarnelHelp.html        the page the Help button opens
#   share/doc/quarnel/copyright               the licence
#   share/doc/quarnel/changelog.gz
# <id> is QUARNEL_APP_ID (see the top-level CMakeLists.txt).

find_program(QUARNEL_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(QUARNEL_GZIP gzip REQUIRED)

set(packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
set(generated ${PROJECT_BINARY_DIR}/packaging)

configure_file(${packaging}/quarnel.desktop.in ${generated}/${QUARNEL_APP_ID}.desktop @ONLY)
configure_file(${packaging}/quarnel.metainfo.xml.in
    ${generated}/${QUARNEL_APP_ID}.metainfo.xml @ONLY)
configure_file(${packaging}/quarnel.1.in ${generated}/quarnel.1 @ONLY)

# gzip -n leaves out the name and time stamp, so the files do not change with
# every build.
set(compressed)
foreach(file IN ITEMS ${generated}/quarnel.1 ${packaging}/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(
        OUTPUT ${generated}/${name}.gz
        COMMAND ${QUARNEL_GZIP} -9nc ${file} > ${generated}/${name}.gz
        DEPENDS ${file}
        VERBATIM)
    list(APPEND compressed ${generated}/${name}.gz)
endforeach()

# Every icon size is drawn from the one scalable picture.
set(QUARNEL_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icons)
foreach(size IN LISTS QUARNEL_ICON_SIZES)
    set(icon ${generated}/icons/${size}/${QUARNEL_APP_ID}.png)
    add_custom_command(
        OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}
        COMMAND ${QUARNEL_RSVG_CONVERT} --width=${size} --height=${size}
                --output=${icon} ${packaging}/quarnel.svg
        DEPENDS ${packaging}/quarnel.svg
        COMMENT "Drawing the ${size} px icon"
        VERBATIM)
    list(APPEND icons ${icon})
    install(FILES ${icon}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(quarnel_install_files ALL DEPENDS ${icons} ${compressed})

install(TARGETS quarnel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${generated}/${QUARNEL_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/${QUARNEL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/quarnel.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${QUARNEL_APP_ID}.svg)
install(FILES ${generated}/quarnel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/QuarnelHelp.html
              ${packaging}/copyright
              ${generated}/changelog.gz
    DESTINATION ${QUARNEL_INSTALL_DOCDIR})
