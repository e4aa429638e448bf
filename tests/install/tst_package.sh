#!/usr/bin/env bash
# Builds the Debian package from the build folder into a temporary folder and
# checks it as Debian's tools would: a machine-readable copyright, a
# changelog of the package's own version, compressed manual pages, no
# maintainer scripts, hardened binaries (relro, bindnow, PIE; fortified libc
# calls and stack protection in a build made with -DBV_HARDENING=ON) and,
# where lintian is installed, no lintian error or warning and an explanation
# in dist/lintian-info.txt for every informational tag left.
# Usage: tst_package.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail

BUILD=$1
SOURCE=$2
VERSION=$3
SKIP=77

for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-parsechangelog readelf gzip python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (bash tools/test.sh installs it)"
        exit $SKIP
    fi
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# cpack packs what the install rules put in a staging folder below -B.
if ! cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1; then
    cat "$WORK/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
debs=("$WORK"/out/brimvale_*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    cat "$WORK/cpack.log"
    echo "FAIL: cpack made no single package: ${debs[*]}"
    exit 1
fi
DEB=${debs[0]}
ROOT="$WORK/root"
CONTROL="$WORK/control"
dpkg-deb -x "$DEB" "$ROOT" && dpkg-deb -e "$DEB" "$CONTROL" || { echo "FAIL: dpkg-deb cannot unpack $DEB"; exit 1; }
DEBVERSION=$(dpkg-deb -f "$DEB" Version)
case "$DEBVERSION" in "$VERSION"-[0-9]*) ;; *) fail "package version $DEBVERSION is not $VERSION with a Debian revision" ;; esac
[ "$(basename "$DEB")" = "brimvale_${DEBVERSION}_$(dpkg-deb -f "$DEB" Architecture).deb" ] \
    || fail "package file name $(basename "$DEB") does not follow name_version_arch.deb"
DOC="$ROOT/usr/share/doc/brimvale"

# ---------------------------------------------------------------- copyright
python3 - "$DOC/copyright" <<'PY' || fail "usr/share/doc/brimvale/copyright is not a machine-readable copyright file"
import re, sys
text = open(sys.argv[1], encoding='utf-8').read()
paragraphs = [p for p in re.split(r'\n\s*\n', text.strip()) if p]
def fields(p):
    out = {}
    for line in p.split('\n'):
        if line[:1] not in (' ', '\t'):
            name, _, value = line.partition(':')
            out[name] = value.strip()
    return out
header = fields(paragraphs[0])
assert header.get('Format') == 'https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/', header
files = [fields(p) for p in paragraphs[1:] if 'Files' in fields(p)]
assert files and files[0]['Files'] == '*', files
standalone = {fields(p)['License'] for p in paragraphs[1:] if 'Files' not in fields(p) and 'License' in fields(p)}
for f in files:
    assert f.get('Copyright') and f.get('License'), f
    assert f['License'] in standalone, ('no text for license', f['License'])
assert '/usr/share/common-licenses/GPL-3' in text
PY

# ---------------------------------------------------------------- changelog
changelog="$DOC/changelog.Debian.gz"
if gzip -t "$changelog" 2>/dev/null; then
    gzip -cd "$changelog" >"$WORK/changelog"
    got=$(dpkg-parsechangelog -l "$WORK/changelog" -S Version 2>&1)
    [ "$got" = "$DEBVERSION" ] || fail "changelog.Debian names version '$got', the package $DEBVERSION"
else
    fail "no gzip-compressed usr/share/doc/brimvale/changelog.Debian.gz"
fi

# ---------------------------------------------------------------- manual pages
pages=$(cd "$ROOT" && find usr/share/man -type f | sort)
[ -n "$pages" ] || fail "the package holds no manual page"
for page in $pages; do
    case "$page" in *.gz) gzip -t "$ROOT/$page" || fail "$page is not valid gzip" ;; *) fail "$page is not compressed" ;; esac
done
for program in brimvale brimvale-cli; do
    [ -f "$ROOT/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
done
# gzip -n: no file name and no time stamp, so that builds are reproducible.
python3 - "$changelog" $(for page in $pages; do echo "$ROOT/$page"; done) <<'PY' || fail "a compressed file carries a name or time stamp"
import struct, sys
for path in sys.argv[1:]:
    head = open(path, 'rb').read(10)
    flags, mtime = head[3], struct.unpack('<I', head[4:8])[0]
    assert not flags & 0x08 and mtime == 0, (path, flags, mtime)
PY

# ---------------------------------------------------------------- maintainer scripts
for script in preinst postinst prerm postrm; do
    [ -e "$CONTROL/$script" ] && fail "the package carries a $script script: $(cat "$CONTROL/$script")"
done
grep -rl ldconfig "$CONTROL" && fail "the package's control files call ldconfig"

# ---------------------------------------------------------------- hardening
# Every build links with relro and bindnow and makes position-independent
# executables; a build configured with -DBV_HARDENING=ON (tools/package.sh)
# also compiles every object with fortify and stack protection.
hardened=false
grep -q '^BV_HARDENING:BOOL=ON$' "$BUILD/CMakeCache.txt" && hardened=true
fortified=""
for binary in usr/bin/brimvale usr/bin/brimvale-cli usr/lib/brimvale/libcomp.so; do
    file="$ROOT/$binary"
    readelf -lW "$file" | grep -q GNU_RELRO || fail "$binary has no relro segment"
    readelf -dW "$file" | grep -Eq '\(BIND_NOW\)|\(FLAGS(_1)?\).*\bNOW\b' || fail "$binary is not linked with bindnow"
    case "$binary" in
    usr/bin/*) readelf -hW "$file" | grep -q 'Type:.*DYN' || fail "$binary is not a position-independent executable" ;;
    esac
    if $hardened; then
        readelf -W --dyn-syms "$file" | grep -q ' __stack_chk_fail@' || fail "$binary has no stack protection"
    fi
    calls=$(readelf -W --dyn-syms "$file" | grep -Eo ' __[a-z0-9_]+_chk@' | grep -v __stack_chk_fail | sort -u | tr -d ' @' | tr '\n' ' ')
    [ -n "$calls" ] && fortified="$fortified $binary: $calls"
done
if $hardened; then
    # A fortified call shows where the compiler could not prove a write into
    # a buffer of known size safe; where it could, or where the size is
    # unknown to it, the plain call stays. So every object must be compiled
    # with fortify, and some fortified call must show.
    echo "fortified calls:$fortified"
    [ -n "$fortified" ] || fail "no binary calls a fortified libc function"
    unfortified=$(awk '/^build /{compile = $0 ~ /: CXX_COMPILER__/} compile && /^ +FLAGS = / && !/-D_FORTIFY_SOURCE=2/' \
        "$BUILD/build.ninja" | wc -l)
    [ "$unfortified" -eq 0 ] || fail "$unfortified compile steps of the hardened build run without -D_FORTIFY_SOURCE=2"
else
    echo "a development build (BV_HARDENING off): fortify and stack protection are not checked"
fi
if command -v hardening-check >/dev/null 2>&1; then
    hardening-check "$ROOT/usr/bin/brimvale" "$ROOT/usr/bin/brimvale-cli" "$ROOT/usr/lib/brimvale/libcomp.so" \
        || fail "hardening-check finds a binary without the hardening it checks"
fi

# ---------------------------------------------------------------- lintian
if command -v lintian >/dev/null 2>&1; then
    lintian --info --display-info --pedantic "$DEB" >"$WORK/lintian.out" 2>"$WORK/lintian.err"
    echo "== lintian --info --display-info --pedantic $(basename "$DEB")"
    cat "$WORK/lintian.out"
    grep -E '^[EW]: ' "$WORK/lintian.out" && fail "lintian reports errors or warnings"
    grep -v 'running with root privileges' "$WORK/lintian.err" | grep -q . && { cat "$WORK/lintian.err"; fail "lintian could not check the package"; }
    # Each informational or pedantic tag left must be explained.
    for tag in $(sed -nE 's/^[IP]: brimvale[^:]*: ([a-z0-9+.-]+).*/\1/p' "$WORK/lintian.out" | sort -u); do
        grep -q "^$tag:" "$SOURCE/dist/lintian-info.txt" || fail "lintian tag $tag is not explained in dist/lintian-info.txt"
    done
else
    echo "lintian is not installed: the package was checked without it"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "package $(basename "$DEB") is complete"
