# Cross-builds native 64-bit Windows programs on Debian with mingw-w64 (g++-mingw-w64-x86-64).
# The -posix compiler, because the win32-threads one has no std::thread or std::mutex. Linked
# statically, so that the programs need nothing beyond the DLLs every Windows has. Tests and
# discovery run the programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Wide-character Win32 calls by default, and nothing of windows.h that collides with our names.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

find_program(DALVON_WINE wine)
if(DALVON_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DALVON_WINE})
endif()
