# Install.cmake: `cmake --install <build> --prefix <prefix>` (or `make install
# PREFIX=<prefix>`) lays the game out as
#
#   <prefix>/lib/cropstack/     the game binary with everything it loads beside
#                               it: models, pictures, font, sounds, levlib/, the
#                               window icon and the shipped cropstack.ini
#   <prefix>/bin/cropstack      a launcher that runs the binary above
#   <prefix>/share/applications/cropstack.desktop and the icon in
#   <prefix>/share/icons/hicolor/<size>x<size>/apps/cropstack.png
#
# The game looks for its data beside its own binary, so the real binary goes
# with the data and only a launcher sits on the PATH. The installed directory
# is usually not writable by the player; the game then keeps its settings in
# $XDG_CONFIG_HOME/cropstack/ (see rt_settings_file).
include_guard(GLOBAL)

set(CROPSTACK_GAME_DIR lib/cropstack)

if(TARGET cropstack)
  install(TARGETS cropstack RUNTIME DESTINATION ${CROPSTACK_GAME_DIR})
endif()

# The generated assets, by the generator's own list of what it writes.
get_directory_property(cropstack_assets DIRECTORY ${PROJECT_SOURCE_DIR}/tools/assetgen
                       DEFINITION CROPSTACK_ASSET_FILES)
list(TRANSFORM cropstack_assets PREPEND ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/)
install(FILES ${cropstack_assets} DESTINATION ${CROPSTACK_GAME_DIR})

# Levels and settings from the source tree: the copy in the build directory
# may already hold a developer's own key bindings.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/levlib/ DESTINATION ${CROPSTACK_GAME_DIR}/levlib
        FILES_MATCHING PATTERN "QLEV*.CMD")
install(FILES ${PROJECT_SOURCE_DIR}/data/cropstack.ini DESTINATION ${CROPSTACK_GAME_DIR})

# The launcher finds the game relative to itself, so the tree can be moved
# (or staged with DESTDIR) after installation.
set(cropstack_launcher ${CMAKE_BINARY_DIR}/launcher/cropstack)
file(WRITE ${cropstack_launcher}
     "#!/bin/sh\n"
     "# Starts the installed Cropstack, which finds its data beside its own binary.\n"
     "here=$(dirname \"$(readlink -f \"$0\")\")\n"
     "exec \"$here/../${CROPSTACK_GAME_DIR}/cropstack\" \"$@\"\n")
install(PROGRAMS ${cropstack_launcher} DESTINATION bin)

if(DEFINED CROPSTACK_ICON_DIR)
  # The window icon goes with the game, which reads it from beside itself.
  install(FILES ${CROPSTACK_WINDOW_ICON} DESTINATION ${CROPSTACK_GAME_DIR})
  foreach(size 48 64 128 256)
    install(FILES ${CROPSTACK_ICON_DIR}/${size}/cropstack.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# The desktop entry names the launcher by its full path, which is known only
# when installing (`--prefix` may differ from the configured prefix).
install(CODE [[
  set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/cropstack.desktop")
  message(STATUS "Installing: ${entry}")
  file(WRITE "${entry}"
       "[Desktop Entry]\n"
       "Type=Application\n"
       "Name=Cropstack\n"
       "GenericName=Block-pushing puzzle\n"
       "Comment=Push blocks, turn doors and lead the crops to the flag\n"
       "Exec=${CMAKE_INSTALL_PREFIX}/bin/cropstack\n"
       "Icon=cropstack\n"
       "Terminal=false\n"
       "Categories=Game;LogicGame;\n"
       "Keywords=puzzle;sokoban;blocks;\n")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
]])

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/cropstack)
