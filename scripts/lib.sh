# Shared by scripts/run and scripts/test: install what is missing, then build.
# (python3 runs scripts/mutants, whose list scripts/test checks.)

# Every package the build needs is named, and installed without apt's recommends, so that every
# machine gets the same set: Qt Charts' CMake package needs Qt OpenGL's, which qt6-base-dev only
# recommends.
PACKAGES=(cmake make g++ qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-serialport-dev
    qt6-charts-dev libgl-dev libglx-dev libvulkan-dev fonts-dejavu-core desktop-file-utils appstream
    man-db python3)
# scripts/fuzz: clang with libFuzzer and the sanitizers' runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# scripts/windows: the MinGW-w64 cross compilers (posix threads), Wine to run the tests, NSIS and
# zip for the installer and the portable folder.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
    binutils-mingw-w64-x86-64 ninja-build wine64 nsis zip)

ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# build_project [FOLDER [CMAKE-OPTIONS...]]: configures and builds into FOLDER (default build).
build_project() {
    local folder=${1:-build}
    shift || true
    cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$folder" -j "$(nproc)"
}

# Sets a key of a group in an INI file, adding the group or the key when missing.
set_ini_key() {
    local file=$1 group=$2 key=$3 value=$4
    mkdir -p "$(dirname "$file")"
    touch "$file"
    awk -v group="[$group]" -v key="$key" -v value="$value" '
        function emit() { if (ingroup && !done) { print key "=" value; done = 1 } }
        /^\[/ { emit(); ingroup = ($0 == group) }
        ingroup && index($0, key "=") == 1 { if (!done) print key "=" value; done = 1; next }
        { print }
        END { emit(); if (!done) { print ""; print group; print key "=" value } }
    ' "$file" >"$file.new" && mv "$file.new" "$file"
}

# The Qt for MinGW-w64 to build against: QT_MINGW (a folder, or a .tar.xz unpacked once under
# build-windows/), by default the one in ../shared/toolchains. Prints its folder; fails, saying
# why, when there is none.
windows_qt() {
    local given=${QT_MINGW:-../shared/toolchains/qt6.4.2-mingw-w64.tar.xz}
    if [ -d "$given" ]; then
        (cd "$given" && pwd)
        return
    fi
    if [ ! -f "$given" ]; then
        echo "no Qt for MinGW-w64 at $given (set QT_MINGW to a folder or a tarball)" >&2
        return 1
    fi
    local into=build-windows/qt
    local name
    name=$(basename "$given" .tar.xz)
    if [ ! -d "$into/$name" ]; then
        mkdir -p "$into"
        tar -xJf "$given" -C "$into"
    fi
    (cd "$into/$name" && pwd)
}

# build_windows QT: the programs and the tests for Windows, into build-windows/.
build_windows() {
    local qt=$1
    cmake -G Ninja -S . -B build-windows -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
    cmake --build build-windows -j "$(nproc)"
}

# Wine as the tests need it: a private prefix, Qt's variables passed through (Wine drops QT_*),
# the offscreen platform with a font folder, the Qt DLLs on the path, and no question about
# installing Mono or Gecko.
wine_environment() {
    local qt=$1
    export WINEPREFIX="$PWD/build-windows/wine"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEQT_QPA_PLATFORM=offscreen
    export WINEQT_FORCE_STDERR_LOGGING=1
    export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu'
    export WINEPATH="Z:${qt//\//\\}\\bin"
    if [ ! -d "$WINEPREFIX" ]; then
        /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
    fi
    # Wine's server and its services start with the first program and keep that program's
    # output open: started here, quietly, they hold no test's output open after it ends.
    /usr/lib/wine/wineserver -p 2>/dev/null || true
    /usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null || true
}

# The tests under one Wine server, the installer made first for its own test.
test_windows() {
    wine_environment "$1"
    package_windows >/dev/null
    ctest --test-dir build-windows --output-on-failure --timeout 900 -j "$(nproc)"
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}

package_windows() {
    (cd build-windows && cpack -G NSIS && cpack -G ZIP)
    ls -l build-windows/ardentix-*-win64*.{exe,zip}
}
