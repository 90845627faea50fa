#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The installed viewer: installs the build into a temporary prefix, checks the desktop entry and the
# AppStream metadata, builds the Debian package and lists it, then runs the installed viewer against
# the installed service, once with a read-only program folder (user folders) and once with a
# writable one (portable copy).
# Usage: tst_install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
service=
cleanup() {
    [ -n "$service" ] && kill "$service" 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/fr.meteo.Meteo.desktop"
appstreamcli validate --no-net --pedantic "$prefix"/share/metainfo/*.metainfo.xml >/dev/null \
    || fail "AppStream metadata: $(appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml)"
echo "PASS: desktop entry and AppStream metadata validate"

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
listing=$(dpkg-deb -c "$work"/package/meteo_*.deb)
for f in ./usr/lib/meteo/meteo ./usr/bin/meteo-service ./usr/lib/systemd/user/meteo-service.service ./usr/lib/systemd/user/meteo-service@.service \
         ./usr/share/metainfo/fr.meteo.Meteo.metainfo.xml ./usr/share/applications/fr.meteo.Meteo.desktop \
         ./usr/share/icons/hicolor/128x128/apps/meteo.png ./usr/share/doc/meteo/copyright \
         ./usr/share/meteo/nginx/meteo.conf ./usr/share/meteo/nginx/main.conf ./usr/lib/meteo/icons/32.png ./usr/lib/meteo/Dictionnaire.ini ./usr/lib/meteo/villes.ini; do
    grep -q " $f\$" <<<"$listing" || fail "package lacks $f"
done
dpkg-deb -f "$work"/package/meteo_*.deb Depends | grep -q libqt6 || fail "package dependencies not computed"
# The live rain map's readers: HDF5, ecCodes and PROJ's runtime libraries (their data come with them).
for lib in libhdf5 libeccodes0 libproj; do
    dpkg-deb -f "$work"/package/meteo_*.deb Depends | grep -q "$lib" || fail "package does not depend on $lib"
done
echo "PASS: package contents and dependencies"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$prefix/bin/meteo-service" --port "$port" 2>"$work/service.log" &
service=$!
for _ in $(seq 50); do grep -q "à l'écoute" "$work/service.log" && break; sleep 0.1; done

# Runs the installed viewer in a fresh home until it has shown a weather document, then closes it
# (or reported an error), then closes it as the desktop would (SIGTERM) and prints its home folder.
# $1: extra command before the viewer; $2: permissions of the cache folder.
run_viewer() {
    local home=$work/home-$RANDOM
    mkdir -p "$home/cache" "$home/config" "$home/cwd"
    chmod "${2:-u+w}" "$home/cache"
    (cd "$home/cwd" && exec env HOME=$home XDG_CACHE_HOME=$home/cache XDG_CONFIG_HOME=$home/config \
        QT_QPA_PLATFORM=offscreen METEO_SERVICE_HOST=127.0.0.1:$port $1 "$prefix/bin/meteo" 2>"$home/stderr" >/dev/null) &
    local viewer=$!
    for _ in $(seq 100); do
        grep -q "GET /weather/local/" "$work/service.log" && [ -n "$(find "$home" "$prefix" -name weather.xml)" ] && break
        grep -q "meteo:" "$home/stderr" 2>/dev/null && break
        sleep 0.1
    done
    sleep 0.5
    kill -TERM "$viewer"
    wait "$viewer" || fail "the viewer did not end cleanly on SIGTERM"
    echo "$home"
}

# Installed: the program folder is read-only and root's override of permissions is dropped.
chmod -R a-w "$prefix"
before=$(find "$prefix" -newer "$work/service.log" | wc -l)
home=$(run_viewer "setpriv --bounding-set=-dac_override,-dac_read_search --inh-caps=-all")
grep -q "meteo:" "$home/stderr" && fail "installed viewer reported: $(cat "$home/stderr")"
grep -q "Paris, France\|</weather>" "$home/cache/meteo/weather.xml" || fail "no weather.xml in the cache folder"
grep -q "Edit1.Text" "$home/config/meteo/meteo.ini" || fail "no meteo.ini in the configuration folder"
[ "$(find "$prefix" -newer "$work/service.log" | wc -l)" = "$before" ] || fail "something was written under the prefix"
[ -z "$(ls "$home/cwd")" ] || fail "the current directory was written"
echo "PASS: installed copy keeps its files in the user's folders"

# A user folder that cannot be made is reported with its path; nothing is written elsewhere.
home=$(run_viewer "setpriv --bounding-set=-dac_override,-dac_read_search --inh-caps=-all" a-w)
grep -q "$home/cache/meteo : dossier impossible" "$home/stderr" || fail "unwritable cache not reported: $(cat "$home/stderr")"
[ "$(find "$prefix" -newer "$work/service.log" | wc -l)" = "$before" ] || fail "something was written under the prefix"
echo "PASS: an unwritable user folder is reported with its path"

# Relative XDG folders are ignored, as the XDG rules say: the files go to the home's defaults.
home=$(run_viewer "env XDG_CACHE_HOME=cache XDG_CONFIG_HOME=config setpriv --bounding-set=-dac_override,-dac_read_search --inh-caps=-all")
[ -f "$home/.cache/meteo/weather.xml" ] && [ -f "$home/.config/meteo/meteo.ini" ] || fail "relative XDG folders: files not in the home's defaults"
[ -z "$(ls "$home/cwd")" ] || fail "relative XDG folders: the current directory was written"
echo "PASS: relative XDG folders are ignored"

# Portable: the same tree with a writable program folder.
chmod -R u+w "$prefix"
home=$(run_viewer "")
grep -q "meteo:" "$home/stderr" && fail "portable viewer reported: $(cat "$home/stderr")"
[ -f "$prefix/lib/meteo/weather.xml" ] || fail "portable copy: no weather.xml beside the executable"
[ -f "$home/cwd/meteo.ini" ] || fail "portable copy: no meteo.ini in the current directory"
[ -z "$(find "$home/cache" "$home/config" -mindepth 1)" ] || fail "portable copy wrote the user's folders"
echo "PASS: writable program folder behaves as a portable copy"
