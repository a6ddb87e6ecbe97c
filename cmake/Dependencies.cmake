include_guard(GLOBAL)

# Every third-party library, found once for the whole tree. The imported targets are global so
# that libqvplatform.so can carry the libraries its modules use.
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET GLOBAL libplist-2.0)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET GLOBAL cairo)
pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET GLOBAL libpng)
pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET GLOBAL libjpeg)
pkg_check_modules(HARFBUZZ REQUIRED IMPORTED_TARGET GLOBAL harfbuzz)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET GLOBAL fontconfig)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET GLOBAL freetype2)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET GLOBAL icu-i18n icu-uc)
pkg_check_modules(EGL REQUIRED IMPORTED_TARGET GLOBAL egl)
pkg_check_modules(GLESV2 REQUIRED IMPORTED_TARGET GLOBAL glesv2)
# Scene scripts (header-only).
find_package(nlohmann_json 3 REQUIRED)
