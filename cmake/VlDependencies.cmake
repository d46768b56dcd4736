# Third-party libraries as imported targets, the same names in every tree:
#   vl::ffmpeg     libavcodec + libavutil + libswscale
#   vl::tinyxml2   TinyXML-2
#   vl::imobiledevice   libimobiledevice (native tree only; Windows loads it at run time)
#   vl::plist           libplist (native tree only: the tests' fake usbmuxd)
#   GTest::gtest, GTest::gmock, benchmark::benchmark
# Natively they come from Debian's -dev packages; for Windows from the cache that
# scripts/setup fills (its manifest is passed as VL_DEPS_MANIFEST).

if(VL_WINDOWS)
  if(NOT VL_DEPS_MANIFEST)
    set(VL_DEPS_MANIFEST "$ENV{HOME}/.cache/velloria/deps/deps.cmake")
  endif()
  if(NOT EXISTS "${VL_DEPS_MANIFEST}")
    message(FATAL_ERROR "No Windows dependencies at ${VL_DEPS_MANIFEST}: run scripts/setup first")
  endif()
  include("${VL_DEPS_MANIFEST}")
  set(arch ${CMAKE_SYSTEM_PROCESSOR})

  set(ff ${VL_FFMPEG_${arch}})
  add_library(vl::ffmpeg INTERFACE IMPORTED GLOBAL)
  target_include_directories(vl::ffmpeg INTERFACE ${ff}/include)
  target_link_libraries(vl::ffmpeg INTERFACE ${ff}/lib/libswscale.a ${ff}/lib/libavcodec.a
                                             ${ff}/lib/libavutil.a bcrypt ole32 user32)

  set(tx ${VL_TINYXML2_${arch}})
  add_library(vl::tinyxml2 INTERFACE IMPORTED GLOBAL)
  target_include_directories(vl::tinyxml2 INTERFACE ${tx}/include)
  target_link_libraries(vl::tinyxml2 INTERFACE ${tx}/lib/libtinyxml2.a)

  # GoogleTest from Debian's source copy, built with this tree's compiler.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # (googletest defines the GTest::gtest and GTest::gmock aliases itself)

  if(DEFINED VL_BENCHMARK_${arch} AND EXISTS ${VL_BENCHMARK_${arch}}/.done)
    find_package(benchmark REQUIRED CONFIG PATHS ${VL_BENCHMARK_${arch}}
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(TARGET benchmark::benchmark)
      target_link_libraries(benchmark::benchmark INTERFACE shlwapi)
    endif()
  endif()
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(VL_FFMPEG REQUIRED IMPORTED_TARGET GLOBAL libavcodec libavutil libswscale)
  add_library(vl::ffmpeg ALIAS PkgConfig::VL_FFMPEG)
  pkg_check_modules(VL_TINYXML2 REQUIRED IMPORTED_TARGET GLOBAL tinyxml2)
  add_library(vl::tinyxml2 ALIAS PkgConfig::VL_TINYXML2)
  pkg_check_modules(VL_IMOBILEDEVICE REQUIRED IMPORTED_TARGET GLOBAL libimobiledevice-1.0)
  add_library(vl::imobiledevice ALIAS PkgConfig::VL_IMOBILEDEVICE)
  # The property lists of the fake usbmuxd that stands in for iPhones in tests.
  pkg_check_modules(VL_PLIST REQUIRED IMPORTED_TARGET GLOBAL libplist-2.0)
  add_library(vl::plist ALIAS PkgConfig::VL_PLIST)
  find_package(GTest REQUIRED)
  find_package(Threads REQUIRED)
  if(NOT VL_SANITIZE)
    find_package(benchmark REQUIRED)
  endif()
endif()
