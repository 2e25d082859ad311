# SPDX-License-Identifier: MIT
# Install rules: the programs and their helpers, the artwork and icons, the desktop entry and
# AppStream metadata, the manual pages, the link server's and quorel-idle's user units, the link
# list, the screen-saver wrapper and its xscreensaver hack description.
#   cmake --install build [--prefix /usr/local]     (make install / make uninstall)
include(GNUInstallDirs)

foreach(program quorel quorel-vendor quorel-idle)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# Helpers the user never runs by name.
foreach(helper quorel-inspect quorel-parse)
  if(TARGET ${helper})
    install(TARGETS ${helper} RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quorel)
  endif()
endforeach()

# quorel_install_configured(TEMPLATE DESTINATION NAME [PROGRAM]): TEMPLATE with its @VARIABLES@
# filled in for the prefix given at install time (which may differ from the configured one),
# installed as DESTINATION/NAME and listed in install_manifest.txt like every other file.
function(quorel_install_configured template destination name)
  set(permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  if(ARGN STREQUAL "PROGRAM")
    list(APPEND permissions OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
  endif()
  install(CODE "
    set(quorel_template \"${CMAKE_CURRENT_SOURCE_DIR}/${template}\")
    set(quorel_stage \"${CMAKE_CURRENT_BINARY_DIR}/install-configured/${destination}\")
    set(quorel_name \"${name}\")
    set(QUOREL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(QUOREL_LIBEXECDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}\")
    set(QUOREL_DATADIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}\")
    set(QUOREL_DOCDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}\")
    set(QUOREL_VENDOR_HOST \"${QUOREL_VENDOR_HOST}\")
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")
    configure_file(\"\${quorel_template}\" \"\${quorel_stage}/\${quorel_name}\" @ONLY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${destination}\" TYPE FILE
         PERMISSIONS ${permissions} FILES \"\${quorel_stage}/\${quorel_name}\")
  ")
endfunction()

# The logo's two states (the program carries them too, as resources).
install(FILES data/logo_out.jpg data/logo_in.jpg DESTINATION ${CMAKE_INSTALL_DATADIR}/quorel)
# The icon, drawn by tools/make-logo.sh from the logo's shapes.
install(FILES data/icons/quorel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES data/icons/quorel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quorel.png)
endforeach()
install(FILES data/quorel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
quorel_install_configured(data/org.example.Quorel.metainfo.xml ${CMAKE_INSTALL_DATADIR}/metainfo
                          org.example.Quorel.metainfo.xml)

# Manual pages, with the paths of this installation.
foreach(page quorel quorel-vendor quorel-screensaver quorel-idle)
  quorel_install_configured(docs/${page}.1.in ${CMAKE_INSTALL_MANDIR}/man1 ${page}.1)
endforeach()
install(FILES docs/screensaver.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# quorel-vendor looks for its link list in ../share/quorel/links beside its binary.
install(DIRECTORY data/links/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quorel/links
        FILES_MATCHING PATTERN "default.txt" PATTERN "README.md")
# ... and the words its family filter leaves pictures out for in ../share/quorel/filters.
install(FILES data/filters/unsafe-words.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/quorel/filters)
# The link server for every user session: the socket starts the service on the first request.
# quorel-idle's unit is installed too, but enabled only by the user who wants it.
foreach(unit quorel-vendor.socket quorel-vendor.service quorel-idle.service)
  quorel_install_configured(data/${unit}.in lib/systemd/user ${unit})
endforeach()

# The screen-saver wrapper runs the quorel beside it; it knows the link server's address.
quorel_install_configured(scripts/quorel-screensaver.in ${CMAKE_INSTALL_BINDIR} quorel-screensaver
                          PROGRAM)
# xscreensaver runs its hacks from its own folder and finds their descriptions by the hack's
# name, so the wrapper is linked there as "quorel".
install(FILES data/quorel.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(CODE "
  set(hack_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\")
  file(MAKE_DIRECTORY \"\${hack_dir}\")
  file(RELATIVE_PATH target \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\"
       \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quorel-screensaver\")
  message(STATUS \"Installing: \${hack_dir}/quorel -> \${target}\")
  file(CREATE_LINK \"\${target}\" \"\${hack_dir}/quorel\" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES
       \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/quorel\")
")
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
