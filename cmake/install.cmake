# Install rules: the programs, the artwork, the desktop entry, the manual page, the link
# server's user service and link list, and the screen-saver wrapper.
#   cmake --install build [--prefix /usr/local]
include(GNUInstallDirs)

foreach(program quorel quorel-vendor quorel-inspect)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The parse helper, which the program starts itself.
install(TARGETS quorel-parse RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR})

# The logo's two states (the program carries them too, as resources), and the released one as
# the menu icon.
install(FILES data/logo_out.jpg data/logo_in.jpg DESTINATION ${CMAKE_INSTALL_DATADIR}/quorel OPTIONAL)
# Icon themes take no JPEG, so the entry names the installed picture by its full path, known
# only at install time (--prefix may differ from the configured one).
install(CODE "
  set(entry_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
  file(READ \"${CMAKE_CURRENT_SOURCE_DIR}/data/quorel.desktop\" entry)
  string(REPLACE \"Icon=quorel\" \"Icon=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/quorel/logo_out.jpg\" entry \"\${entry}\")
  message(STATUS \"Installing: \${entry_dir}/quorel.desktop\")
  file(MAKE_DIRECTORY \"\${entry_dir}\")
  file(WRITE \"\${entry_dir}/quorel.desktop\" \"\${entry}\")
")
install(FILES docs/quorel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES docs/screensaver.md DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)

# quorel-vendor looks for its link list in ../share/quorel/links beside its binary.
install(DIRECTORY data/links/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quorel/links OPTIONAL
        FILES_MATCHING PATTERN "default.txt" PATTERN "README.md")
# A user unit, enabled per user with systemctl --user.
install(FILES data/quorel-vendor.service DESTINATION lib/systemd/user OPTIONAL)

# The screen-saver wrapper knows where this build's program expects its link server.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/scripts/quorel-screensaver screensaver_script)
string(REPLACE "127.0.0.1:8480" "${QUOREL_VENDOR_HOST}" screensaver_script "${screensaver_script}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/quorel-screensaver "${screensaver_script}")
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/quorel-screensaver DESTINATION ${CMAKE_INSTALL_BINDIR})
