# SPDX-License-Identifier: MIT
# Debian 12 packages the project needs, and a helper that installs the missing ones.
# Sourced by scripts/run and scripts/test.

KAVORN_BUILD_PACKAGES=(
    cmake ninja-build g++ clang pkg-config
    libcairo2-dev libpango1.0-dev fontconfig fonts-cantarell fonts-liberation2
    nlohmann-json3-dev libsystemd-dev libpipewire-0.3-dev libspa-0.2-dev
    pipewire pipewire-bin
)
KAVORN_TEST_PACKAGES=(
    libgtest-dev libgmock-dev libbenchmark-dev python3
    gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-pipewire
)

# Installs whichever of the given packages are missing. Needs root (or sudo) only when
# something is missing.
kavorn_install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}" >&2
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "error: these packages are missing and I am not root: ${missing[*]}" >&2
            return 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
