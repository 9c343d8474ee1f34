# Shared by scripts/run and scripts/test: install what is missing, then build.

PACKAGES=(cmake make g++ qt6-base-dev qt6-serialport-dev qt6-charts-dev libgl-dev fonts-dejavu-core
    desktop-file-utils appstream man-db)
# scripts/fuzz: clang with libFuzzer and the sanitizers' runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

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
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
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
