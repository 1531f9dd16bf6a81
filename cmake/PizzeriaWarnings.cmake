# Our warnings and sanitizer flags go on our own targets only.
function(pizzeria_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_17)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endif()
  if(PIZZERIA_WERROR)
    target_compile_options(${target} PRIVATE $<IF:$<CXX_COMPILER_ID:MSVC>,/WX,-Werror>)
  endif()
  if(PIZZERIA_SANITIZE AND NOT MSVC)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  elseif(PIZZERIA_THREAD_SANITIZER AND NOT MSVC)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# stb_image_write's JPEG coder shifts negative numbers left: undefined before
# C++20, two's complement on every compiler we build with. The files that
# compile it are spared that one check, so the sanitizer build still stops on
# ours.
function(pizzeria_compiles_stb_write)
  if(PIZZERIA_SANITIZE AND NOT MSVC)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS -fno-sanitize=shift-base)
  endif()
endfunction()
