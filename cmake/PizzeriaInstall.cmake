# Install layout and the Debian package. The game reads its data relative to
# the working directory, so a launcher changes into the data folder first.
include(GNUInstallDirs)

set(PIZZERIA_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")
set(data_folders Shader GameObjects Sounds Fonts)

if(WIN32)
  include(PizzeriaWindowsPackage)
  return()
endif()

set(PIZZERIA_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/pizzeria"
    CACHE STRING "Folder of the game data, relative to the prefix")
set(PIZZERIA_INSTALL_EXEDIR "${CMAKE_INSTALL_LIBEXECDIR}/pizzeria"
    CACHE STRING "Folder of the game executable, relative to the prefix")

install(TARGETS pizzeria RUNTIME DESTINATION "${PIZZERIA_INSTALL_EXEDIR}")
foreach(folder IN LISTS data_folders)
  install(DIRECTORY "${PIZZERIA_RUN_DIR}/${folder}" DESTINATION "${PIZZERIA_INSTALL_DATADIR}")
endforeach()

# Relative paths keep the tree relocatable: another prefix or DESTDIR at
# install time still finds the data from the launcher's own location.
file(RELATIVE_PATH PIZZERIA_LAUNCHER_TO_DATA "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${PIZZERIA_INSTALL_DATADIR}")
file(RELATIVE_PATH PIZZERIA_LAUNCHER_TO_EXE "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${PIZZERIA_INSTALL_EXEDIR}/pizzeria")
configure_file("${PIZZERIA_PACKAGING_DIR}/pizzeria.in" "${PROJECT_BINARY_DIR}/packaging/pizzeria"
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(PROGRAMS "${PROJECT_BINARY_DIR}/packaging/pizzeria" DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PIZZERIA_PACKAGING_DIR}/pizzeria.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PIZZERIA_PACKAGING_DIR}/pizzeria.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/pizzeria")

set(CPACK_PACKAGE_NAME pizzeria)
set(CPACK_PACKAGE_VENDOR "Pizzeria")
set(CPACK_PACKAGE_CONTACT "Pizzeria developers <pizzeria@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "third-person arcade game: knock pizza ingredients with a nail bat")
set(CPACK_PACKAGE_DESCRIPTION
    "A cook knocks roaming pizza ingredients over with a nail bat on moonlit hills to fill\
 orders against the clock while gangsters chase him. Shadow mapping, ambient occlusion, cel\
 shading, a mini-map and other rendering techniques switch at run time. Needs OpenGL 3.3.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries come from dpkg-shlibdeps; the GL driver is loaded at run
# time, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
include(CPack)
