#!/usr/bin/env bash
# Builds the Debian package build/ardoz_<version>_amd64.deb (CPack, see packaging/Package.cmake)
# and prints its path, alone on standard output.
set -euo pipefail
# dpkg-shlibdeps and the stripping tools live in the system folders, which a bare
# environment (env -i) leaves out of PATH.
export PATH="/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin${PATH:+:$PATH}"
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" >&2
cd "$root/build"
rm -f ardoz_*.deb
cpack -G DEB > cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
ls "$root"/build/ardoz_*_amd64.deb
