#!/usr/bin/env bash
# The engines have no widgets: no Qt Widgets header, no header of our widgets/ layer and no
# link to either outside the folders of screens (every ui/ folder, widgets/, app/ and the
# window folders). A new folder under src/ counts as an engine until it is named here.
# Prints each offending line and fails; silent when the layers hold.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
screens='^src/(widgets|app|companies|group|operations|reference)/|/ui/'

widgets_dir="$(find /usr/include -maxdepth 3 -type d -name QtWidgets -path '*qt6*' | head -n 1)"
if [[ -z "$widgets_dir" ]]; then
    echo "check-layers: Qt Widgets headers not found (package qt6-base-dev)" >&2
    exit 2
fi
# QWidget, QtWidgets/QWidget, qwidget.h, QtWidgets: every spelling of a Widgets header.
headers="$(find "$widgets_dir" -maxdepth 1 -type f -printf '%f\n' | sed 's/[.]/[.]/g' | paste -sd'|')"
include_pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]((QtWidgets/)?($headers)|QtWidgets|widgets/[^\">]*)[\">]"

cd "$root"
found=0
while IFS= read -r file; do
    [[ "$file" =~ $screens ]] && continue
    if grep -EnH "$include_pattern" "$file"; then
        found=1
    fi
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
while IFS= read -r file; do
    [[ "$file" =~ $screens ]] && continue
    if grep -EnH 'Qt6::Widgets|ardoz_widgets|ardoz_[a-z]+_ui|ardoz_(app|companies|group|operations|reference)\b' "$file"; then
        found=1
    fi
done < <(find src -type f -name CMakeLists.txt | sort)
if [[ "$found" -ne 0 ]]; then
    echo "check-layers: widgets used outside the screens (ui/, widgets/, app/, window folders)" >&2
    exit 1
fi
