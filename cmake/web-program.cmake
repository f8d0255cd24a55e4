# The platform layer of the browser build (Debian's emscripten): a WebGL 2 context,
# keys and full screen through emscripten/html5.h, Web Audio music, JPEG decoded by
# the browser. The sources are added by each folder's CMakeLists.txt (the *_web.cpp
# files); quarn.js + quarn.wasm + quarn.data are defined in app/.
add_library(quarn_web STATIC)
target_include_directories(quarn_web PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(quarn_core PUBLIC quarn_web)
target_link_libraries(quarn_web PUBLIC quarn_core)
