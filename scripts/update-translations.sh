#!/bin/sh
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# Brings translations/*.ts up to date with the texts in the sources: new
# texts come in unfinished, vanished ones are dropped. Translate the new ones
# in Qt Linguist (linguist translations/kelvora_XX.ts), then build: the build
# compiles the .ts files into the program. translations/README.md has more.
set -eu
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate6 2>/dev/null || true)
[ -n "$lupdate" ] || [ ! -x /usr/lib/qt6/bin/lupdate ] || lupdate=/usr/lib/qt6/bin/lupdate
[ -n "$lupdate" ] || lupdate=$(command -v lupdate 2>/dev/null || true)
if [ -z "$lupdate" ]; then
    echo "update-translations.sh: lupdate not found (Debian package qt6-l10n-tools)" >&2
    exit 1
fi
# The folders whose texts the window shows; the terminal programs (cli/)
# stay English and are left out. English is the source language: its file
# holds only the texts with plural forms ("1 check", "2 checks").
update() { # update TS-FILE [LUPDATE-OPTION...]
    ts=$1
    shift
    "$lupdate" -silent -locations none -no-obsolete -extensions cpp,h "$@" \
        base monitor controls ui app -ts "$ts"
}
for ts in ${*:-translations/kelvora_*.ts}; do
    case "$ts" in
    *_en.ts) update "$ts" -pluralonly ;;
    *) update "$ts" ;;
    esac
done
