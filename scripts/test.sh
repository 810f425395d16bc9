#!/usr/bin/env bash
# Installs, checks the layers, builds and runs the whole test suite (widgets on the offscreen
# platform), builds and checks the Debian package, then runs each fuzz target of the file
# readers for 45 seconds. The tests that need a Firebird server start one of their own
# (scripts/test-server.sh, state in build/test-server) and stop it when they end; it is
# stopped here too, should the run be interrupted.
set -euo pipefail
# The system folders (apt-get, dpkg-shlibdeps, strip) are left out of PATH by a bare
# environment (env -i).
export PATH="/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin${PATH:+:$PATH}"
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
# The engines have no widgets: a Qt Widgets include outside the screens fails the run.
bash "$root/scripts/check-layers.sh"
bash "$root/scripts/build.sh"
trap 'bash "$root/scripts/test-server.sh" stop "$root/build/test-server" > /dev/null 2>&1 || true' EXIT
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j2

# The Debian package: built, checked by lintian (no error, and no warning but the one declared in
# packaging/lintian-overrides) and desktop-file-validate, unpacked into a temporary folder and
# run from there.
deb="$(bash "$root/scripts/package.sh")"
lintian --fail-on error,warning "$deb"
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"; bash "$root/scripts/test-server.sh" stop "$root/build/test-server" > /dev/null 2>&1 || true' EXIT
dpkg -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/ardoz.desktop"
"$unpacked/usr/bin/ardoz" --version
"$unpacked/usr/bin/ardoz" --create-database "$unpacked/base" > /dev/null
test -s "$unpacked/base/TALMORIX.gdb"
echo "Paquet : $deb (lintian, desktop-file-validate, ardoz --version et --create-database déballés)"

# The readers of imported files under libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# built on their own with Clang from the readers' sources (fuzz/CMakeLists.txt). Two targets run
# at a time; new inputs go to build/fuzz/corpus-<target>, a failing one to build/fuzz/artefacts.
fuzz="$root/build/fuzz"
cmake -S "$root/fuzz" -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ > /dev/null
cmake --build "$fuzz"
mkdir -p "$fuzz/artefacts"
lancer() {
    mkdir -p "$fuzz/corpus-$1"
    "$fuzz/fuzz_import_$1" -max_total_time=45 -malloc_limit_mb=512 -timeout=10 \
        -artifact_prefix="$fuzz/artefacts/$1-" "$fuzz/corpus-$1" "$root/fuzz/corpus/$1" \
        > "$fuzz/$1.log" 2>&1
}
echec=0
for paire in "texte xlsx" "ods xls"; do
    pids=()
    cibles=($paire)
    for cible in "${cibles[@]}"; do
        lancer "$cible" &
        pids+=($!)
    done
    for i in "${!cibles[@]}"; do
        if wait "${pids[$i]}"; then
            echo "fuzz_import_${cibles[$i]} : $(grep -E '^Done' "$fuzz/${cibles[$i]}.log")"
        else
            echo "fuzz_import_${cibles[$i]} : ÉCHEC (journal : $fuzz/${cibles[$i]}.log)"
            tail -n 60 "$fuzz/${cibles[$i]}.log"
            echec=1
        fi
    done
done
exit $echec
