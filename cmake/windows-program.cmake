# The platform layer of the Windows program: Win32 window and WGL context, dialogs from
# the resource script, waveOut + ACM music, WIC JPEG decoding. The sources are added by
# each folder's CMakeLists.txt (the *_win32.cpp files); quarn.exe is defined in app/.
add_library(quarn_win32 STATIC)
target_include_directories(quarn_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(quarn_win32 PUBLIC
    opengl32 glu32 gdi32 user32 winmm msacm32 windowscodecs ole32 uuid)
# The core calls into the platform layer (console output, JPEG decoding) and the
# platform layer uses the core's log: link them as one, as on Linux.
target_link_libraries(quarn_core PUBLIC quarn_win32)
target_link_libraries(quarn_win32 PUBLIC quarn_core)
# Windows 7 API level; ANSI (...A) calls throughout.
target_compile_definitions(quarn_win32 PUBLIC _WIN32_WINNT=0x0601 WINVER=0x0601)
# One self-contained exe: the C and C++ runtimes and winpthread linked in.
add_link_options(-static)
enable_language(RC)
