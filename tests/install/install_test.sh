#!/usr/bin/env bash
# Installs the build tree into a temporary folder (DESTDIR) and checks the tree
# from there: the programs start and find their libraries inside it, the
# library search finds the fingerprint libraries in the installed library folder,
# the simulated sensor registers its driver, and the desktop files are valid and
# where the desktop looks for them.
#
# install_test.sh CMAKE BUILD_DIR BINDIR PKGLIBDIR DATADIR APPSTREAM_ID PROGRAMS LIBRARIES FINGERPRINTS
#   BINDIR, PKGLIBDIR, DATADIR: the configured absolute folders;
#   PROGRAMS, LIBRARIES: ;-separated ("lockmere;lockmere-send", "Ridgecore.dll;...");
#   FINGERPRINTS: the sample fingerprint images (for lockmere-account)
set -euo pipefail
cmake=$1 build=$2 bindir=$3 pkglibdir=$4 datadir=$5 appid=$6 fingerprints=$9
IFS=';' read -r -a programs <<<"$7"
IFS=';' read -r -a libraries <<<"$8"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in readelf desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/lockmere-install.XXXXXX")
app="" sim=""
cleanup() {
  [ -z "$app" ] || kill -KILL "$app" 2>/dev/null || true
  [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
dest=$work/dest
# Nothing may help the loader: the installed tree must find its own libraries.
unset LD_LIBRARY_PATH LOCKMERE_LIB_DIR
# The installed programs keep their files (the machine store too) in here.
unset LOCKMERE_MACHINE_DIR LOCKMERE_DEVICE_DIR LOCKMERE_BUS_SOCKET LOCKMERE_SHM_NAME
export LOCKMERE_HOME=$work/home
mkdir -m 700 "$LOCKMERE_HOME"

for component in lockmere install-check; do
  DESTDIR=$dest "$cmake" --install "$build" --component "$component" >>"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install (component $component) failed"; }
done
bin=$dest$bindir lib=$dest$pkglibdir share=$dest$datadir

# Every file the manifest names (as in place, without DESTDIR) is there, below
# one of the configured folders.
manifest=$build/install_manifest_lockmere.txt
[ -s "$manifest" ] || fail "no install manifest $manifest"
while IFS= read -r file; do
  case "$file" in "$bindir"/* | "$pkglibdir"/* | "$datadir"/*) ;; *) fail "installed elsewhere: $file" ;; esac
  [ -e "$dest$file" ] || [ -L "$dest$file" ] || fail "listed in the manifest but missing: $dest$file"
done <"$manifest"

# bin/ holds links to the programs in the library folder.
libReal=$(readlink -f "$lib")
for program in "${programs[@]}" lockmere-library-check; do
  [ -L "$bin/$program" ] || fail "$bin/$program is not a link"
  target=$(readlink -f "$bin/$program")
  [ "$target" = "$libReal/$program" ] || fail "$bin/$program leads to $target, not into $lib"
  [ -x "$target" ] || fail "$target is not executable"
done

# Every program and library loads only from its own folder: RUNPATH $ORIGIN,
# no RPATH, nothing of the build tree.
for file in "$lib"/*; do
  [ -f "$file" ] && [ "$(head -c 4 "$file")" = $'\x7fELF' ] || continue
  dynamic=$(readelf -d "$file")
  ! grep -q '(RPATH)' <<<"$dynamic" || fail "$file has an RPATH: $(grep '(RPATH)' <<<"$dynamic")"
  runpath=$(sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p' <<<"$dynamic")
  [ "$runpath" = '$ORIGIN' ] || fail "$file has the RUNPATH '$runpath', not \$ORIGIN"
done
for library in "${libraries[@]}"; do
  name=${library%.dll}
  [ -f "$lib/lib$name.so" ] || fail "lib$name.so is not installed in $lib"
done
[ -f "$lib/libLockmereBus.so" ] || fail "libLockmereBus.so is not installed in $lib"
[ -f "$lib/addon/manifest.json" ] || fail "the browser extension is not installed in $lib/addon"

# The installed tools run (their libraries resolve) and answer.
out=$("$bin/lockmere-send" --help) || fail "lockmere-send --help failed"
grep -q '^usage: lockmere-send' <<<"$out" || fail "lockmere-send --help printed: $out"
rc=0
err=$("$bin/lockmere-send" --socket "$work/nobody.bus" 0x806 0 0 2>&1) || rc=$?
[ "$rc" = 1 ] && grep -q 'not running' <<<"$err" || fail "lockmere-send without a program: exit $rc, $err"
out=$("$bin/ridgeport-sim" --help) || fail "ridgeport-sim --help failed"
grep -q '^usage: ridgeport-sim' <<<"$out" || fail "ridgeport-sim --help printed: $out"

# The installed program starts and stays up (it ends at once when a library it
# needs does not resolve). Its status block gets a name of this test; the
# program is killed, so it leaves no logout behind to wait for.
shm=/lockmere-install-test-$$
LOCKMERE_SHM_NAME=$shm QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=disabled: \
  "$bin/lockmere" >"$work/lockmere.log" 2>&1 &
app=$!
sleep 2
kill -0 "$app" 2>/dev/null || { cat "$work/lockmere.log" >&2; fail "the installed lockmere ended at start"; }
kill -KILL "$app"
wait "$app" 2>/dev/null || true
app=""
rm -f "/dev/shm$shm.$(id -u)"

# The installed simulator serves and registers its driver in the machine store,
# as scripts/run.sh has it do from the build tree.
status=$("$bin/ridgeport-sim" driver-status)
[[ "$status" == "not installed"* ]] || fail "a fresh machine store has the driver: $status"
"$bin/ridgeport-sim" serve >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do
  "$bin/ridgeport-sim" status >/dev/null 2>&1 && break
  kill -0 "$sim" 2>/dev/null || { cat "$work/sim.log" >&2; fail "the installed ridgeport-sim did not start"; }
  sleep 0.1
done
status=$("$bin/ridgeport-sim" driver-status)
"$bin/ridgeport-sim" stop >/dev/null || fail "ridgeport-sim stop failed"
wait "$sim" || { cat "$work/sim.log" >&2; fail "ridgeport-sim serve ended with an error"; }
sim=""
[[ "$status" == "installed"* ]] || fail "ridgeport-sim serve did not register its driver: $status"

# The library search as the installed program runs it (the fingerprint libraries
# through the bio binding): every library from the installed library folder,
# which is the folder compiled into the search once the tree is in its place;
# the program's own path (what the autostart entry gets) is the installed one.
others=()
for library in "${libraries[@]}"; do
  case "$library" in Ridgeport.dll | Ridgecore.dll) ;; *) others+=("$library") ;; esac
done
out=$("$bin/lockmere-library-check" "${others[@]}" 2>&1) || fail "lockmere-library-check: $out"
value() { sed -n "s/^$1 //p" <<<"$out" | head -1; }
[ "$(value program)" = "$libReal/lockmere-library-check" ] || fail "the program runs as $(value program)"
[ "$(value installed-folder)" = "$pkglibdir" ] || fail "the search's installed folder is $(value installed-folder)"
[ "$(value search)" = "$libReal" ] || fail "the search starts at $(value search), not at $libReal"
for library in "${libraries[@]}"; do
  path=$(sed -n "s/^library $library //p" <<<"$out")
  [ -n "$path" ] || fail "$library was not loaded: $out"
  [ "$(readlink -f "$(dirname "$path")")" = "$libReal" ] || fail "$library was loaded from $path"
  [ "$dest$(value installed-folder)/$(basename "$path")" -ef "$path" ] ||
    fail "$library is not in the installed folder $(value installed-folder) once in place"
done

# The installed account tool makes a user from three impressions of a finger
# and knows the finger again by a fourth: it loads the fingerprint libraries by
# file name from where it is installed.
if [[ " ${programs[*]} " == *" lockmere-account "* ]]; then
  images=$fingerprints/fvc2002_db1_b
  [ -f "$images/104_1.pgm" ] || fail "no sample fingerprints in $images"
  out=$(printf 'pw\n' | "$bin/lockmere-account" new Ina --finger "$images/104_1.pgm,$images/104_2.pgm,$images/104_3.pgm" 2>&1) ||
    fail "lockmere-account new: $out"
  out=$("$bin/lockmere-account" identify "$images/104_6.pgm" 2>&1) || fail "lockmere-account identify: $out"
  [ "$out" = Ina ] || fail "lockmere-account identify printed: $out"
fi

# The menu entry: valid, and what it names is installed.
desktop=$share/applications/lockmere.desktop
[ -f "$desktop" ] || fail "no $desktop"
check=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $check"
! grep -Eq 'error|warning' <<<"$check" || fail "desktop-file-validate: $check"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ -x "$bin/$(entry Exec)" ] || fail "Exec=$(entry Exec) is not an installed program"
[ -x "$bin/$(entry TryExec)" ] || fail "TryExec=$(entry TryExec) is not an installed program"
icon=$(entry Icon)

# The icon in the hicolor theme: each PNG as large as its folder says, and the
# scalable one with the closed shackle only (the source draws both).
hicolor=$share/icons/hicolor
for size in 16 22 32 48 64 128 256; do
  png=$hicolor/${size}x$size/apps/$icon.png
  [ -f "$png" ] || fail "no $png"
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  read -r w h <<<"$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')"
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is $w x $h"
done
svg=$hicolor/scalable/apps/$icon.svg
[ -f "$svg" ] || fail "no $svg"
grep -q '<svg' "$svg" || fail "$svg is not an SVG"
[ "$(grep -o 'id="shackle-[a-z]*"' "$svg")" = 'id="shackle-closed"' ] || fail "$svg does not hold the closed shackle alone"
! grep -q 'display="none"' "$svg" || fail "$svg has hidden parts"

# The software centre's description: valid, and it names the menu entry.
metainfo=$share/metainfo/$appid.metainfo.xml
[ -f "$metainfo" ] || fail "no $metainfo"
check=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $check"
grep -q '<launchable type="desktop-id">lockmere.desktop</launchable>' "$metainfo" ||
  fail "$metainfo does not launch lockmere.desktop"

echo "installed tree checked: $(wc -l <"$manifest") files"
