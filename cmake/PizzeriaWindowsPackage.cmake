# The Windows packages: a zip to unpack anywhere and an NSIS installer. Both
# hold one folder, the executable beside its data: Explorer and the Start-menu
# shortcut start it there.
install(TARGETS pizzeria RUNTIME DESTINATION .)
foreach(folder IN LISTS data_folders)
  install(DIRECTORY "${PIZZERIA_RUN_DIR}/${folder}" DESTINATION .)
endforeach()
install(FILES "${PIZZERIA_PACKAGING_DIR}/windows/README.txt" DESTINATION .)

# The executable holds these libraries (and the C and C++ runtimes); their
# licences travel with it, as Debian's copyright files of the sources built.
if(CMAKE_CROSSCOMPILING)
  set(licences
    "GLFW=libglfw3" "GLEW=libglew2.2" "FreeType=libfreetype6" "Assimp=libassimp5"
    "SDL2=libsdl2-2.0-0" "SDL2_mixer=libsdl2-mixer-2.0-0" "GLM=libglm-dev" "stb=libstb-dev"
    "utfcpp=libutfcpp-dev" "zlib=libz-mingw-w64-dev" "mingw-w64=mingw-w64-common"
    "GCC-runtime=gcc-mingw-w64-base" "Hack-font=fonts-hack")
  foreach(entry IN LISTS licences)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 package)
    set(copyright "/usr/share/doc/${package}/copyright")
    if(NOT EXISTS "${copyright}")
      message(FATAL_ERROR "${copyright} is missing: the licence of ${name} (install ${package})")
    endif()
    install(FILES "${copyright}" DESTINATION licences RENAME "${name}.txt")
  endforeach()
endif()

set(CPACK_PACKAGE_NAME pizzeria)
set(CPACK_PACKAGE_VENDOR "Pizzeria")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Pizzeria, a third-person arcade game")
set(CPACK_GENERATOR ZIP NSIS)
# The NSIS lines below hold quotes and dollars that CPack must pass as they are.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Pizzeria)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Pizzeria)

# A 64-bit installer, like the game: it runs where there is no 32-bit
# subsystem (Windows on ARM without x86 emulation, a 64-bit-only wine).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Pizzeria)
set(CPACK_NSIS_DISPLAY_NAME Pizzeria)
if(PIZZERIA_ICON_LINE)
  set(CPACK_NSIS_MUI_ICON "${CMAKE_BINARY_DIR}/packaging/pizzeria.ico")
  set(CPACK_NSIS_MUI_UNIICON "${CMAKE_BINARY_DIR}/packaging/pizzeria.ico")
endif()
set(CPACK_NSIS_INSTALLED_ICON_NAME pizzeria.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The game reads its data relative to the working directory, which a
# shortcut takes from the output path at the time it is made.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Pizzeria.lnk" "$INSTDIR\pizzeria.exe" "" "$INSTDIR\pizzeria.exe" 0
]=])
# CPack removes the key it wrote below the vendor's, not the vendor's own;
# this runs after that.
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\Pizzeria.lnk"
  DeleteRegKey /ifempty SHCTX "Software\Pizzeria"
]=])
include(CPack)
