# Sourced by run.sh, test.sh and package.sh: makes sure the Debian packages the build needs
# are installed, installing the missing ones when we may.
# desktop-file-utils and appstream validate the installed desktop entry and
# metainfo; dpkg-dev (dpkg-shlibdeps, with file and binutils) works out the
# Debian package's dependencies; qt6-svg-dev lets tools/artwork/draw.sh
# draw the SVG icon; qt6-l10n-tools (lrelease, lupdate) compiles the
# translations; qt6-base-private-dev lets the accessibility tests switch the
# accessibility layer on without a screen reader; lintian checks the package
# as Debian would (tools/package.sh and the package test). btrfs-progs and
# xfsprogs make the small file-system images on which the tests and
# bench_frees check what deleting shared (reflinked, snapshotted) data frees.
# Not needed to build or test, so not installed here: xvfb, to look at the
# real windows on a headless machine (xvfb-run -a ./build/brimvale), and
# python3-pyatspi with at-spi2-core for bench/atspi_tree.py.
BV_PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools zlib1g-dev zip unzip python3 fonts-dejavu-core desktop-file-utils appstream dpkg-dev file binutils qt6-svg-dev qt6-base-private-dev qt6-l10n-tools lintian e2fsprogs btrfs-progs xfsprogs"

bv_missing_packages() {
    local missing="" pkg
    for pkg in $BV_PACKAGES; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $pkg"
        fi
    done
    echo "$missing"
}

bv_ensure_packages() {
    local missing
    missing=$(bv_missing_packages)
    if [ -z "$missing" ]; then
        echo "== All build packages are present"
        return 0
    fi
    echo "== Missing packages:$missing"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            sudo="sudo"
        else
            echo "Please install them first, as root:"
            echo "    apt-get update && apt-get install -y$missing"
            exit 1
        fi
    fi
    echo "== apt-get update && apt-get install -y$missing"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y $missing
}

# bv_configure BUILD_DIR [CMAKE_OPTION...]
bv_configure() {
    local build_dir="$1"
    shift
    local launcher=""
    command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    echo "== Configuring in $build_dir"
    cmake -S "$BV_ROOT" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher "$@"
}

# The start of every build script: the packages, then $BV_ROOT/build
# configured; BUILD names that folder.
bv_prepare_build() {
    bv_ensure_packages
    BUILD="$BV_ROOT/build"
    bv_configure "$BUILD"
    echo "== Building"
}
