# Shared by the entry points: the Debian packages Lumavane needs, and installing what is missing.
# shellcheck shell=bash

LUMAVANE_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libmosquitto-dev mosquitto
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation2 fonts-dejavu-core
    poppler-utils
    xvfb openbox xdotool x11-utils imagemagick
    dbus-daemon dbus-bin at-spi2-core python3-pyatspi
)

# Installs every package of the list (and any given as arguments) that is not installed yet.
# As root it runs apt-get; otherwise it prints the exact line to run and fails.
lumavane_install_missing() {
    local wanted=("${LUMAVANE_PACKAGES[@]}" "$@")
    local missing=()
    local pkg
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing missing packages: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq || return 1
        apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
    else
        echo "These Debian packages are missing. Install them, then run this command again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
}

lumavane_jobs() {
    local n
    n=$(nproc 2>/dev/null || echo 2)
    echo "$n"
}
