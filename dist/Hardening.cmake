# The hardening Debian's dpkg-buildflags asks for with hardening=+all, on
# every binary the build makes: position-independent executables, fortified
# libc calls, stack protection, read-only relocations resolved at start
# (relro with bindnow). Included before any target is made.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)

add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection
  -Wformat -Werror=format-security)
# The fortified calls need the optimiser; a Debug build would only warn.
add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro -Wl,-z,now)
