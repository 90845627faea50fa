# Sourced by the other scripts: installs the Debian packages the build, the tests and the window need.
meteo_packages="cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-httpserver-dev qt6-websockets-dev
                qt6-positioning-dev libqt6positioning6-plugins
                libhdf5-dev libeccodes-dev libproj-dev
                fonts-dejavu-core xvfb xauth imagemagick dbus"

meteo_ensure_packages() {
    local missing=() p
    for p in $meteo_packages "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages (run as root, or install them): ${missing[*]}" >&2
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
