# What "cmake --install" puts under the prefix. The program finds its data
# relative to its own path (bin/../share/sluice), so the tree may be
# installed anywhere, DESTDIR included. Pieces that not every checkout has
# are installed once they exist.
include(GNUInstallDirs)

set(SLUICE_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/sluice)

install(TARGETS sluice RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The window library, private to the program, which loads it from this
# folder relative to its own (app/windows/CMakeLists.txt builds that path in).
install(TARGETS sluice_gui LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/sluice)
if(TARGET sluice-testserver)
    install(TARGETS sluice-testserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS sluice_exports LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The Qt folder dialog that libsluice.so loads on demand, beside it.
if(TARGET sluice_folder_dialog)
    install(TARGETS sluice_folder_dialog LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/exports/sluice.h)
    install(FILES ${PROJECT_SOURCE_DIR}/exports/sluice.h
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()

# Read-only data: the busy panel's pictures, the definition file and the
# shipped test-server list.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/bmp DESTINATION ${SLUICE_DATA_DESTINATION})
foreach(data_file sluice.def CgiServer.dat)
    if(EXISTS ${PROJECT_SOURCE_DIR}/resources/${data_file})
        install(FILES ${PROJECT_SOURCE_DIR}/resources/${data_file}
                DESTINATION ${SLUICE_DATA_DESTINATION})
    endif()
endforeach()

# The application menu's entry, its icon and the manual.
install(FILES ${PROJECT_SOURCE_DIR}/resources/sluice.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/sluice.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/sluice.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
install(FILES ${PROJECT_SOURCE_DIR}/docs/sluice.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
