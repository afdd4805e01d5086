# Third-party libraries come from the system (Debian packages, or vcpkg with
# MSVC). For the mingw-w64 cross build, header-only libraries are exposed
# through a generated folder that holds only their headers, never the whole of
# /usr/include.
# The helper ships as one executable that needs only system DLLs, so the
# cross build links zlib statically.
if(MINGW)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)
# libjpeg-turbo: Debian's package natively; for the cross build, the static
# library scripts/setup builds (the only one the toolchain file lets CMake see).
find_package(JPEG REQUIRED)

add_library(winhelper_thirdparty INTERFACE)
target_link_libraries(winhelper_thirdparty INTERFACE ZLIB::ZLIB JPEG::JPEG)

if(CMAKE_CROSSCOMPILING)
  set(gen "${CMAKE_BINARY_DIR}/thirdparty-include")
  file(COPY /usr/include/nlohmann DESTINATION "${gen}")
  file(GLOB stb_headers /usr/include/stb/stb_image_write.h
                        /usr/include/stb/stb_image_resize.h)
  file(COPY ${stb_headers} DESTINATION "${gen}/stb")
  # mingw-w64's UI Automation headers lack the client interfaces; Wine's
  # development headers, generated from the same IDL, have them.
  set(wine_windows /usr/include/wine/wine/windows)
  file(COPY ${wine_windows}/uiautomationclient.h ${wine_windows}/uiautomationcore.h
       DESTINATION "${gen}")
  target_include_directories(winhelper_thirdparty SYSTEM INTERFACE "${gen}")
else()
  find_package(nlohmann_json 3.10 REQUIRED)
  target_link_libraries(winhelper_thirdparty INTERFACE nlohmann_json::nlohmann_json)
  if(MSVC)
    find_path(STB_INCLUDE_DIR stb_image_write.h PATH_SUFFIXES stb REQUIRED)
    target_include_directories(winhelper_thirdparty SYSTEM INTERFACE "${STB_INCLUDE_DIR}/..")
  endif()
endif()

# cpp-httplib (header only), fetched by scripts/setup into .deps: Debian's
# package is a compiled library for Linux only, and both builds use one
# version.
set(WINHELPER_HTTPLIB_DIR "${PROJECT_SOURCE_DIR}/.deps/cpp-httplib")
if(NOT EXISTS "${WINHELPER_HTTPLIB_DIR}/httplib.h")
  message(FATAL_ERROR "cpp-httplib is missing from .deps: run scripts/setup")
endif()
file(STRINGS "${WINHELPER_HTTPLIB_DIR}/httplib.h" httplib_current LIMIT_COUNT 1
     REGEX "#define CPPHTTPLIB_VERSION \"0\\.41\\.0\"")
file(STRINGS "${WINHELPER_HTTPLIB_DIR}/httplib.h" httplib_patched LIMIT_COUNT 1
     REGEX "winhelper: header values are not percent-decoded")
if(NOT httplib_current OR NOT httplib_patched)
  message(FATAL_ERROR "cpp-httplib in .deps is not version 0.41.0 with the setup's patch: "
                      "run scripts/setup")
endif()
# The limits the library applies before the HTTP front sees a request, the
# same in every file that includes it: a request line or header line of at
# most 8 KiB, at most 100 headers. Ranges are never served (the front drops
# them), so their count is kept small too.
target_compile_definitions(winhelper_thirdparty INTERFACE
  CPPHTTPLIB_REQUEST_URI_MAX_LENGTH=8192
  CPPHTTPLIB_HEADER_MAX_LENGTH=8192
  CPPHTTPLIB_HEADER_MAX_COUNT=100
  CPPHTTPLIB_MAX_LINE_LENGTH=8192
  CPPHTTPLIB_RANGE_MAX_COUNT=16)
target_include_directories(winhelper_thirdparty SYSTEM INTERFACE "${WINHELPER_HTTPLIB_DIR}")
