# What the scripts share; each sources it after cd-ing to the source root.
#   jobs                 parallel build jobs
#   sudo                 "sudo" when not run as root, else empty
#   release_options      the configure line of a new release build that makes
#                        the plug-ins and the renderer without tests
#   debian_sources DIR PACKAGE...   Debian's source packages into DIR
# shellcheck shell=bash disable=SC2034

jobs=$(nproc 2>/dev/null || echo 2)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

release_options=(-DCMAKE_BUILD_TYPE=Release -DTOLVO_BUILD_TESTS=OFF -DTOLVO_BUILD_BENCH=OFF)

# Through a private apt state with deb-src entries for the bookworm main
# suites, read only by this apt-get: the machine's own apt configuration stays
# as it is. apt checks each file against the signed index.
debian_sources() {
    local dir=$1
    shift
    local apt="$dir/apt"
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$dir/src"
    cat >"$apt/sources.list.d/debian-src.sources" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    local opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
                -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Debug::NoLocking=1"
                -o "APT::Sandbox::User=root")
    apt-get "${opts[@]}" update -qq
    local package
    for package in "$@"; do
        # The mirror lacks libebur128's Debian packaging but has its upstream
        # tarball, which is all a build takes.
        if [ "$package" = libebur128 ]; then
            (cd "$dir/src" && apt-get "${opts[@]}" source --download-only -qq libebur128 >/dev/null 2>&1 || true)
            ls "$dir/src"/libebur128_*.orig.tar.gz >/dev/null
        else
            (cd "$dir/src" && apt-get "${opts[@]}" source --download-only -qq "$package")
        fi
    done
}

# A source package unpacked with Debian's patches; prints its directory.
debian_unpack() {
    local dir=$1 package=$2 dsc
    dsc=$(ls "$dir/src/$package"_*.dsc | head -n1)
    rm -rf "${dir:?}/src/$package"
    # apt has checked the files against the signed index already.
    dpkg-source --no-copy --no-check -q -x "$dsc" "$dir/src/$package" >/dev/null
    echo "$dir/src/$package"
}
