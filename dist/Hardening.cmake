# Hardening as Debian's dpkg-buildflags gives it with hardening=+all.
#
# Always: read-only relocations resolved at start (relro with bindnow); the
# compiler makes position-independent executables by default on Debian.
#
# With -DBV_HARDENING=ON (tools/package.sh builds the package so): every
# object also compiled with fortified libc calls, stack protection and
# stack-clash and control-flow protection. Left off in development builds,
# where it would change the flags of every object and so miss every compiler
# cache entry made without it.
option(BV_HARDENING "Compile with fortified libc calls and stack protection" OFF)

add_link_options(-Wl,-z,relro -Wl,-z,now)

if(BV_HARDENING)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection
    -Wformat -Werror=format-security)
  # The fortified calls need the optimiser; a Debug build would only warn.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()
