#!/usr/bin/env bash
# Installs, builds, makes the demonstration database demo/db/TALMORIX.gdb with its
# demo/CheminBase.ini, then runs the program on it from demo/work: the application
# when a display is there, otherwise the declaration file of the first demo company.
set -euo pipefail
# The system folders (apt-get, dpkg-shlibdeps, strip) are left out of PATH by a bare
# environment (env -i).
export PATH="/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin${PATH:+:$PATH}"
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
demo="$root/demo"
mkdir -p "$demo/work"
if [ ! -f "$demo/db/TALMORIX.gdb" ]; then
    "$root/build/ardoz" --create-database "$demo/db" --demo
fi
printf '[CheminBase]\r\nRep=%s\r\nModelessexcel=%s\r\n' "$demo/db" "$demo" > "$demo/CheminBase.ini"
cd "$demo/work"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$root/build/ardoz"
fi
echo "Pas d'affichage : génération de la déclaration de démonstration."
exec "$root/build/ardoz" --generate --company 1234567A --year 2023 --output "$demo"
