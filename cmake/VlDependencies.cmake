# Third-party libraries as imported targets, the same names in every tree:
#   vl::ffmpeg     libavcodec + libavutil + libswscale
#   vl::tinyxml2   TinyXML-2
#   vl::imobiledevice   libimobiledevice (native tree only; Windows has its own iPhone client)
#   vl::plist      libplist (the iPhone client's property lists)
#   vl::mbedtls    mbed TLS (the iPhone client's lockdown sessions)
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

  # The iPhone client's libraries (the 64-bit camera tree has no use for them).
  if(NOT VL_CAMERA_ONLY)
    if(NOT DEFINED VL_PLIST_${arch} OR NOT DEFINED VL_MBEDTLS_${arch})
      message(FATAL_ERROR "${VL_DEPS_MANIFEST} names no libplist or mbed TLS: run scripts/setup")
    endif()
    set(pl ${VL_PLIST_${arch}})
    add_library(vl::plist INTERFACE IMPORTED GLOBAL)
    target_include_directories(vl::plist INTERFACE ${pl}/include)
    target_link_libraries(vl::plist INTERFACE ${pl}/lib/libplist-2.0.a)
    set(mb ${VL_MBEDTLS_${arch}})
    add_library(vl::mbedtls INTERFACE IMPORTED GLOBAL)
    target_include_directories(vl::mbedtls INTERFACE ${mb}/include)
    target_link_libraries(vl::mbedtls INTERFACE ${mb}/lib/libmbedtls.a ${mb}/lib/libmbedx509.a
                                                ${mb}/lib/libmbedcrypto.a ws2_32 advapi32)
  endif()

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
  pkg_check_modules(VL_PLIST REQUIRED IMPORTED_TARGET GLOBAL libplist-2.0)
  add_library(vl::plist ALIAS PkgConfig::VL_PLIST)
  # Debian's mbed TLS ships no pkg-config file.
  find_path(VL_MBEDTLS_INCLUDE mbedtls/ssl.h REQUIRED)
  find_library(VL_MBEDTLS_LIB mbedtls REQUIRED)
  find_library(VL_MBEDX509_LIB mbedx509 REQUIRED)
  find_library(VL_MBEDCRYPTO_LIB mbedcrypto REQUIRED)
  add_library(vl::mbedtls INTERFACE IMPORTED GLOBAL)
  target_include_directories(vl::mbedtls INTERFACE ${VL_MBEDTLS_INCLUDE})
  target_link_libraries(vl::mbedtls INTERFACE ${VL_MBEDTLS_LIB} ${VL_MBEDX509_LIB}
                                              ${VL_MBEDCRYPTO_LIB})
  find_package(GTest REQUIRED)
  find_package(Threads REQUIRED)
  if(NOT VL_SANITIZE)
    find_package(benchmark REQUIRED)
  endif()
endif()
