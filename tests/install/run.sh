#!/usr/bin/env bash
# Installs a build tree into a temporary prefix as a package would and checks what came out:
# the programs answer --version, the manual pages, copyright file and changelog are there, the
# installed lorim-cli reads the installed lorim-sim's site into a file made from the template in
# the package's data folder and dumps it, taking a version into its history, and the desktop
# entry and metadata are valid; where lintian is installed, the Debian package made from the
# tree passes it.
#   tests/install/run.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
prefix=$(mktemp -d)
trap 'kill $sim 2>/dev/null; rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

for program in lorim-config lorim-cli lorim-sim; do
  [ "$(QT_QPA_PLATFORM=offscreen "$prefix/bin/$program" --version)" = "$program $version" ] ||
    { echo "$program --version is not \"$program $version\"" >&2; exit 1; }
done
[ ! -e "$prefix/bin/config.md_" ] && [ -f "$prefix/share/lorim/config.md_" ] ||
  { echo "the template is not in share/lorim only" >&2; exit 1; }
for file in man/man1/lorim-config.1.gz man/man1/lorim-cli.1.gz man/man1/lorim-sim.1.gz \
            doc/lorim-config/copyright doc/lorim-config/changelog.gz; do
  [ -f "$prefix/share/$file" ] || { echo "no share/$file" >&2; exit 1; }
done

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("0.0.0.0",0)); print(s.getsockname()[1])')
"$prefix/bin/lorim-sim" --udp "127.0.0.2:$port" > "$prefix/sim.out" &
sim=$!
for _ in $(seq 50); do grep -q '^udp ' "$prefix/sim.out" && break; sleep 0.1; done
printf '[History]\nFolder=%s\n' "$prefix/history" > "$prefix/lorim-config.ini"
"$prefix/bin/lorim-cli" read "$prefix/site.cfg" --udp "127.0.0.2:$port" --password 8522 \
  --ini "$prefix/lorim-config.ini"
"$prefix/bin/lorim-cli" dump "$prefix/site.cfg" | grep -q '^Устройства: 6$' ||
  { echo "the site read by the installed programs is not the demo site" >&2; exit 1; }
"$prefix/bin/lorim-cli" history list --ini "$prefix/lorim-config.ini" |
  grep -q 'Считано из модуля: site.cfg$' ||
  { echo "the read took no version into the history" >&2; exit 1; }

desktop-file-validate "$prefix/share/applications/org.lorim.Config.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.lorim.Config.metainfo.xml" >/dev/null

# The Debian package made from the tree passes Debian's own checker, where it is installed.
if command -v lintian >/dev/null; then
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$prefix/deb" \
    -D CPACK_OUTPUT_FILE_PREFIX="$prefix/deb" >/dev/null
  lintian --fail-on error,warning "$prefix"/deb/*.deb
fi
