#!/usr/bin/env bash
# Installs the build into a temporary root and checks that the installation
# is complete and works on its own: every file in its place and nothing else,
# icons of the size their folder promises, a desktop entry and metainfo the
# desktop's validators accept and that agree with each other, and the
# installed brimvale-cli finding the installed plug-in, not the build's.
# Usage: tst_install.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail

BUILD=$1
SOURCE=$2
VERSION=$3
APP_ID=org.example.Brimvale
SKIP=77

for tool in desktop-file-validate appstreamcli readelf unzip python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (bash tools/test.sh installs it)"
        exit $SKIP
    fi
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# A space in the root: the programs must not cut their own path at one.
ROOT="$WORK/dest dir"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! DESTDIR="$ROOT" cmake --install "$BUILD" --prefix /usr >"$WORK/install.log" 2>&1; then
    cat "$WORK/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
USR="$ROOT/usr"

# ---------------------------------------------------------------- layout
expected=(
    usr/bin/brimvale
    usr/bin/brimvale-cli
    usr/lib/brimvale/libcomp.so
    usr/lib/brimvale/BVHelp.html
    usr/share/man/man1/brimvale.1.gz
    usr/share/man/man1/brimvale-cli.1.gz
    usr/share/doc/brimvale/copyright
    usr/share/doc/brimvale/changelog.Debian.gz
    usr/share/bash-completion/completions/brimvale-cli
    usr/share/zsh/vendor-completions/_brimvale-cli
    usr/share/fish/vendor_completions.d/brimvale-cli.fish
    usr/share/applications/$APP_ID.desktop
    usr/share/metainfo/$APP_ID.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/$APP_ID.svg
    usr/share/brimvale/translations/brimvale_de.qm
)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png")
done
printf '%s\n' "${expected[@]}" | sort >"$WORK/expected"
(cd "$ROOT" && find . -mindepth 1 ! -type d | sed 's|^\./||' | sort) >"$WORK/installed"
if ! diff -u "$WORK/expected" "$WORK/installed"; then
    fail "installed files differ from the expected list (- missing, + unexpected)"
fi
for path in "${expected[@]}"; do
    [ -s "$ROOT/$path" ] || fail "$path is empty or missing"
done
for program in brimvale brimvale-cli; do
    [ -x "$USR/bin/$program" ] || fail "bin/$program is not executable"
    # An installed program must not reach back into the build folder.
    if readelf -d "$USR/bin/$program" | grep -E 'R(UN)?PATH' | grep -qF "$BUILD"; then
        fail "bin/$program carries the build folder in its library path"
    fi
done
cmp -s "$SOURCE/help/BVHelp.html" "$USR/lib/brimvale/BVHelp.html" || fail "installed guide differs from help/BVHelp.html"
for page in app/brimvale.1 cli/brimvale-cli.1; do
    gz="$USR/share/man/man1/$(basename "$page").gz"
    gzip -cd "$gz" | cmp -s "$SOURCE/$page" - || fail "installed $gz differs from $page"
done
cmp -s "$SOURCE/dist/copyright" "$USR/share/doc/brimvale/copyright" || fail "installed copyright differs from dist/copyright"

# ---------------------------------------------------------------- icons
for size in "${sizes[@]}"; do
    icon="$USR/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png"
    got=$(python3 - "$icon" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read(32)
if data[:8] != b'\x89PNG\r\n\x1a\n' or data[12:16] != b'IHDR':
    print('not a PNG')
else:
    w, h = struct.unpack('>II', data[16:24])
    print(f'{w}x{h}')
PY
)
    [ "$got" = "${size}x${size}" ] || fail "icon in ${size}x${size} is $got"
done
svg="$USR/share/icons/hicolor/scalable/apps/$APP_ID.svg"
python3 - "$svg" <<'PY' || fail "the SVG icon is not a square SVG document"
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag.endswith('svg'), root.tag
box = root.get('viewBox').split()
assert len(box) == 4 and float(box[2]) == float(box[3]) > 0, box
PY

# ---------------------------------------------------------------- desktop entry and metainfo
desktop="$USR/share/applications/$APP_ID.desktop"
metainfo="$USR/share/metainfo/$APP_ID.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"

field() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(field Icon)" = "$APP_ID" ] || fail "desktop entry names icon '$(field Icon)'"
exec_line=$(field Exec)
[ -x "$USR/bin/${exec_line%% *}" ] || fail "desktop entry runs '$exec_line', not an installed program"
case "$exec_line" in *%*) fail "desktop entry passes arguments the program does not take: $exec_line" ;; esac
[ -n "$(field Comment)" ] || fail "desktop entry has no comment"
python3 - "$metainfo" "$APP_ID" "$VERSION" <<'PY' || fail "metainfo does not match the program"
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
app_id, version = sys.argv[2], sys.argv[3]
assert root.findtext('id') == app_id, root.findtext('id')
assert root.findtext('launchable') == app_id + '.desktop', root.findtext('launchable')
releases = [r.get('version') for r in root.iter('release')]
assert version in releases, (version, releases)
assert root.findtext('project_license') and root.findtext('summary')
for image in root.iter('image'):
    assert image.text.startswith('https://brimvale.example.org/'), image.text
PY

# ---------------------------------------------------------------- shell completion
completion="$USR/share/bash-completion/completions/brimvale-cli"
bash -n "$completion" || fail "bash cannot parse the completion script"
got=$(bash --norc --noprofile -c 'source "$1" && complete -p brimvale-cli' _ "$completion" 2>&1)
[ "$got" = "complete -o filenames -F _brimvale_cli brimvale-cli" ] || fail "the bash completion registers '$got'"
# What bash offers for the last word typed after brimvale-cli.
offer() {
    bash --norc --noprofile -c 'source "$1"; shift; COMP_WORDS=(brimvale-cli "$@"); COMP_CWORD=$#; _brimvale_cli
                                printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@" | LC_ALL=C sort | tr '\n' ' '
}
mkdir -p "$WORK/complete/some folder" "$WORK/complete/other"
touch "$WORK/complete/some file"
while IFS='|' read -r words expected; do
    got=$(eval offer "$words")
    [ "$got" = "$expected" ] || fail "bash completes '$words' to '$got', not '$expected'"
done <<EOF
''|delete move recover scan zip 
-|--help --version -V -h 
scan --for|--format 
scan --format ''|csv json lines 
scan -0 --sort s|size 
scan --size ''|between larger less 
delete --|--dry-run --help --summary 
move --pr|--preserve-path 
zip --pr| 
scan "$WORK/complete/"|$WORK/complete/other $WORK/complete/some folder 
delete "$WORK/complete/some"|$WORK/complete/some file $WORK/complete/some folder 
move list "$WORK/complete/s"|$WORK/complete/some folder 
EOF
for shell in zsh fish; do
    if command -v "$shell" >/dev/null 2>&1; then
        script="$USR/share/zsh/vendor-completions/_brimvale-cli"
        [ "$shell" = fish ] && script="$USR/share/fish/vendor_completions.d/brimvale-cli.fish"
        "$shell" -n "$script" || fail "$shell cannot parse its completion script"
    fi
done

# ---------------------------------------------------------------- the installed programs at work
# Run from a folder of their own, with nothing of the build on any path.
RUNDIR="$WORK/run"
mkdir -p "$RUNDIR"
cd "$RUNDIR" || exit 1
export -n LD_LIBRARY_PATH
CLI="$USR/bin/brimvale-cli"

out=$("$CLI" --version 2>&1) || fail "installed brimvale-cli --version exits with $?"
case "$out" in *"$VERSION"*) ;; *) fail "brimvale-cli --version says '$out', not $VERSION" ;; esac

# A tree of two matching files and one that stays.
make_tree() {
    mkdir -p "$1/sub"
    echo one >"$1/a.tmp"
    echo two >"$1/sub/b.tmp"
    echo keep >"$1/keep.txt"
}
make_tree "$WORK/tree"
"$CLI" scan --ext tmp --save "$WORK/list" "$WORK/tree" >"$WORK/scan.out" 2>"$WORK/scan.err" \
    || { cat "$WORK/scan.err"; fail "installed scan exits with $?"; }
grep -q 'a\.tmp' "$WORK/scan.out" && grep -q 'sub/b\.tmp' "$WORK/scan.out" \
    || fail "installed scan misses the matching files: $(cat "$WORK/scan.out")"
grep -q 'keep\.txt' "$WORK/scan.out" && fail "installed scan lists a file that does not match"

# zip needs the plug-in: it can only come from the installed lib/brimvale,
# as bin/ holds none and the build folder is on no path.
"$CLI" zip "$WORK/list" "$WORK/first.zip" >"$WORK/zip.out" 2>&1 \
    || { cat "$WORK/zip.out"; fail "installed zip exits with $?"; }
unzip -l "$WORK/first.zip" >"$WORK/first.lst" 2>&1 || fail "installed zip wrote no readable archive"
grep -q 'a\.tmp' "$WORK/first.lst" && grep -q 'b\.tmp' "$WORK/first.lst" \
    || fail "archive lacks the listed files: $(cat "$WORK/first.lst")"

# Started through a link in another folder (as from /usr/local/bin), the
# program still finds lib/brimvale beside its real bin/.
make_tree "$WORK/tree2"
"$CLI" scan --ext tmp --save "$WORK/list2" "$WORK/tree2" >/dev/null 2>&1 || fail "second scan exits with $?"
mkdir -p "$WORK/links"
ln -s "$CLI" "$WORK/links/bv"
"$WORK/links/bv" zip "$WORK/list2" "$WORK/linked.zip" >"$WORK/linked.out" 2>&1 \
    || { cat "$WORK/linked.out"; fail "brimvale-cli through a link does not find its plug-in"; }

# Without the installed plug-in, zip must fail and say so rather than load
# some other copy (the build folder holds one).
BARE="$WORK/bare"
cp -a "$USR" "$BARE"
rm "$BARE/lib/brimvale/libcomp.so"
make_tree "$WORK/tree3"
"$BARE/bin/brimvale-cli" scan --ext tmp --save "$WORK/list3" "$WORK/tree3" >/dev/null 2>&1 || fail "third scan exits with $?"
if "$BARE/bin/brimvale-cli" zip "$WORK/list3" "$WORK/bare.zip" >"$WORK/bare.out" 2>&1; then
    fail "zip succeeded with no plug-in installed: it loaded one from elsewhere"
fi
[ -e "$WORK/bare.zip" ] && [ -s "$WORK/bare.zip" ] && fail "zip without a plug-in left an archive"
[ -f "$WORK/tree3/a.tmp" ] || fail "zip without a plug-in lost a.tmp"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "installation complete and self-contained"
