# Cross-compiles for 64-bit Windows with Debian's clang for the MinGW target, on the same
# ground as cmake/mingw-w64-x86_64.cmake: the mingw-w64 headers and import libraries, the
# posix-thread gcc's run-time (its C++ library, libgcc and winpthreads, all linked
# statically), and the mingw-w64 binutils (linker, archiver, resource compiler, dlltool).
# Only the compiler differs, so what one build accepts and the other rejects is the code's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
# Without a sysroot the driver also searches the host's /usr/include.
set(CMAKE_SYSROOT /usr/x86_64-w64-mingw32)

# clang brings no C++ library of its own for this target: use the posix gcc's headers and
# link from its folder.
file(GLOB MERIDEL_GCC_DIR LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(LENGTH MERIDEL_GCC_DIR MERIDEL_GCC_DIRS)
if(NOT MERIDEL_GCC_DIRS EQUAL 1)
  message(FATAL_ERROR "Expected one posix-thread mingw-w64 gcc under /usr/lib/gcc/x86_64-w64-mingw32, "
                      "found: '${MERIDEL_GCC_DIR}' (package g++-mingw-w64-x86-64-posix)")
endif()
set(MERIDEL_GCC_CXX_INCLUDES
    "-isystem ${MERIDEL_GCC_DIR}/include/c++ -isystem ${MERIDEL_GCC_DIR}/include/c++/x86_64-w64-mingw32 -isystem ${MERIDEL_GCC_DIR}/include/c++/backward")
set(CMAKE_C_FLAGS_INIT "-pthread")
set(CMAKE_CXX_FLAGS_INIT "${MERIDEL_GCC_CXX_INCLUDES} -pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${MERIDEL_GCC_DIR} -pthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-L${MERIDEL_GCC_DIR} -pthread")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-L${MERIDEL_GCC_DIR} -pthread")

set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR /usr/bin/x86_64-w64-mingw32-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB /usr/bin/x86_64-w64-mingw32-ranlib CACHE FILEPATH "Index of archives")
set(CMAKE_DLLTOOL /usr/bin/x86_64-w64-mingw32-dlltool CACHE FILEPATH "Import library maker")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
