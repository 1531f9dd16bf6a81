# The Windows executable: one static console program with its icon and
# version, and (in the cross build) the data a native build generated.

# The game has its own main; SDL must not rename it to SDL_main.
target_compile_definitions(pizzeria_game PUBLIC SDL_MAIN_HANDLED)

# The game includes <stb/...>. Debian's stb headers are not in the mingw-w64
# search path, and all of /usr/include would bring Linux headers with them:
# a folder with only stb. vcpkg's stb port puts them at the include root:
# headers of our own forward to them.
set(stb_only "${CMAKE_BINARY_DIR}/stb-include")
if(CMAKE_CROSSCOMPILING)
  find_path(PIZZERIA_STB_DIR stb/stb_image_write.h PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(MAKE_DIRECTORY "${stb_only}")
  file(CREATE_LINK "${PIZZERIA_STB_DIR}/stb" "${stb_only}/stb" SYMBOLIC)
else()
  find_path(PIZZERIA_STB_ROOT stb_image_write.h REQUIRED)
  foreach(header stb_image.h stb_image_write.h)
    file(CONFIGURE OUTPUT "${stb_only}/stb/${header}"
         CONTENT "#include \"${PIZZERIA_STB_ROOT}/${header}\"\n")
  endforeach()
endif()
target_include_directories(pizzeria_game SYSTEM PUBLIC "${stb_only}")

# The icon is drawn from the same picture as the Linux one: librsvg renders
# it (ImageMagick's own SVG reader loses the gradient and the bat), ImageMagick
# packs the sizes. GLFW gives the window the executable's icon named
# GLFW_ICON. A build without the tools (on Windows) goes without an icon; the
# cross build requires them.
set(icon_tools_required "")
if(CMAKE_CROSSCOMPILING)
  set(icon_tools_required REQUIRED)
endif()
find_program(PIZZERIA_RSVG rsvg-convert ${icon_tools_required})
find_program(PIZZERIA_CONVERT NAMES convert-im6.q16 convert magick ${icon_tools_required})
set(windows_dir "${PROJECT_SOURCE_DIR}/packaging/windows")
set(icon "${CMAKE_BINARY_DIR}/packaging/pizzeria.ico")
set(PIZZERIA_ICON_LINE "")
if(PIZZERIA_RSVG AND PIZZERIA_CONVERT)
  add_custom_command(OUTPUT "${icon}"
    COMMAND "${PIZZERIA_RSVG}" -w 256 -h 256 "${PROJECT_SOURCE_DIR}/packaging/pizzeria.svg"
            -o "${CMAKE_BINARY_DIR}/packaging/pizzeria-256.png"
    COMMAND "${PIZZERIA_CONVERT}" "${CMAKE_BINARY_DIR}/packaging/pizzeria-256.png"
            -define icon:auto-resize=256,64,48,32,16 "${icon}"
    DEPENDS "${PROJECT_SOURCE_DIR}/packaging/pizzeria.svg"
    COMMENT "Drawing the Windows icon" VERBATIM)
  set(PIZZERIA_ICON_LINE "GLFW_ICON ICON \"${icon}\"")
endif()

set(PIZZERIA_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
configure_file("${windows_dir}/pizzeria.rc.in" "${CMAKE_BINARY_DIR}/packaging/pizzeria.rc" @ONLY)
target_sources(pizzeria PRIVATE "${CMAKE_BINARY_DIR}/packaging/pizzeria.rc")
if(PIZZERIA_ICON_LINE)
  set_source_files_properties("${CMAKE_BINARY_DIR}/packaging/pizzeria.rc" PROPERTIES
    OBJECT_DEPENDS "${icon}")
endif()

# Fills the run folder with the models, textures, sounds and font of a native
# build's run folder (PIZZERIA_HOST_RUN_DIR); tools/build-windows.sh makes it.
function(pizzeria_copy_host_data)
  set(PIZZERIA_HOST_RUN_DIR "" CACHE PATH
      "Run folder of a native build, whose generated data the cross build copies")
  if(NOT EXISTS "${PIZZERIA_HOST_RUN_DIR}/.assets-stamp")
    message(FATAL_ERROR "PIZZERIA_HOST_RUN_DIR must name a native build's run folder "
                        "with generated assets (tools/build-windows.sh sets it)")
  endif()
  set(stamp "${PIZZERIA_RUN_DIR}/.assets-stamp")
  set(copies "")
  foreach(folder GameObjects Sounds Fonts)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_directory
         "${PIZZERIA_HOST_RUN_DIR}/${folder}" "${PIZZERIA_RUN_DIR}/${folder}")
  endforeach()
  add_custom_command(OUTPUT "${stamp}" ${copies}
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS "${PIZZERIA_HOST_RUN_DIR}/.assets-stamp"
            "${PIZZERIA_HOST_RUN_DIR}/Fonts/Hack-Regular.ttf"
    COMMENT "Copying the generated assets" VERBATIM)
  add_custom_target(pizzeria_assets ALL DEPENDS "${stamp}")
endfunction()
