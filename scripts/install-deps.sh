#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the Debian package and the program need.
set -euo pipefail
packages=(
    g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
    firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-server firebird3.0-utils
    zlib1g-dev libshp-dev libxml2-dev libxml2-utils iso-codes fonts-dejavu-core poppler-utils
    python3-xmlschema python3-openpyxl python3-xlwt
    dpkg-dev file lintian desktop-file-utils
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
