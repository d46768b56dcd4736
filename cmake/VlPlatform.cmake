# Compiler and linker settings shared by every target of a tree.

if(VL_WINDOWS)
  # ANSI Windows API throughout (the program's text is in the ANSI code page); Windows 7 API level.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
  # Static runtime: no libgcc/libstdc++/winpthread DLLs beside the deliverables.
  add_link_options(-static -static-libgcc -static-libstdc++)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # COM exports of .def files name the undecorated stdcall functions.
    add_link_options(-Wl,--enable-stdcall-fixup)
  endif()
endif()

# Warnings are errors in every tree: a warning left in one tree (say, only the 32-bit one) would
# otherwise scroll by unread.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Werror)
endif()

if(VL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VL_FUZZ)
  # Every library of the tree is instrumented for libFuzzer's coverage and checked by the
  # sanitizers; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
