# The Windows build (MinGW-w64 on Debian, scripts/windows): libzip and SQLite from the trees given
# in CMAKE_PREFIX_PATH, zlib linked statically, the spooler instead of CUPS.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(libzip CONFIG REQUIRED)
# The same name the Linux build gets from pkg-config, so the libraries link it alike.
add_library(PkgConfig::LIBZIP INTERFACE IMPORTED)
target_link_libraries(PkgConfig::LIBZIP INTERFACE libzip::zip)
find_package(SQLite3 REQUIRED)
# 64-bit file offsets (off_t) as on Linux; Windows 7 API level and no min/max macros.
add_compile_definitions(_FILE_OFFSET_BITS=64 _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX
                        WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
# GCC 12 warns about std::string copies it cannot prove apart (a known false alarm of -Wrestrict
# at -O2 in its own char_traits.h); the Linux build's compiler is the same release but inlines
# differently.
add_compile_options(-Wno-restrict)
