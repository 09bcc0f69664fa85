# Windows build (MinGW-w64 cross build, see cmake/mingw-w64.cmake).
# The compiler's runtime DLLs go beside the program and the test programs,
# so they start from their own folder as an installed copy does.
set(QUORVEL_MINGW_RUNTIME_DLLS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
set(QUORVEL_MINGW_RUNTIME_PATHS)
foreach(dll ${QUORVEL_MINGW_RUNTIME_DLLS})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}")
    find_file(found_${dll} ${dll} PATHS /usr/${QUORVEL_MINGW_TRIPLET}/lib /usr/lib/gcc/${QUORVEL_MINGW_TRIPLET}/12-posix
              NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
    set(found ${found_${dll}})
  endif()
  if(EXISTS "${found}")
    list(APPEND QUORVEL_MINGW_RUNTIME_PATHS ${found})
    file(COPY ${found} DESTINATION ${CMAKE_BINARY_DIR}/bin)
    file(COPY ${found} DESTINATION ${CMAKE_BINARY_DIR}/tests)
  else()
    message(WARNING "MinGW runtime ${dll} not found")
  endif()
endforeach()

# Windows headers: no min/max macros, Vista and later APIs (CancelIoEx).
# localtime_r and gmtime_r come from the runtime headers with the POSIX flag.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 _POSIX_THREAD_SAFE_FUNCTIONS=200112L)
# Exported symbols of our DLLs: everything, as the shared libraries on Linux
# export by default visibility (the libraries mark their own API where they
# hide the rest).
set(CMAKE_WINDOWS_EXPORT_ALL_SYMBOLS ON)

# Without the testsupport part (its TLS listener and relay need OpenSSL and
# POSIX sockets), the tests still get its header-only helpers.
if(QUORVEL_PARTS AND NOT "testsupport" IN_LIST QUORVEL_PARTS)
  add_library(quorvel_testsupport INTERFACE)
  target_include_directories(quorvel_testsupport INTERFACE ${CMAKE_SOURCE_DIR}/testsupport/include)
endif()

# The program's database link (Connector/C with Schannel, soci, the TLS
# options put on the handle) is checked on its own against the services.
if(QUORVEL_BUILD_TESTS AND EXISTS ${QUORVEL_WINDOWS_PREFIX}/lib/libmariadb.dll.a)
  add_subdirectory(client/db/tests/win32 ${CMAKE_BINARY_DIR}/client-db-win32)
endif()

# wxWidgets for Windows answers through its own wx-config in the prefix, not
# the build machine's (GTK) one.
if(EXISTS ${QUORVEL_WINDOWS_PREFIX}/bin/wx-config)
  set(wxWidgets_CONFIG_EXECUTABLE ${QUORVEL_WINDOWS_PREFIX}/bin/wx-config CACHE FILEPATH "wx-config of the Windows build")
endif()
