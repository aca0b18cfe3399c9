#!/bin/sh
# Runs scripts/run in a copy of its tree with stand-ins for the build, Wine
# and sox: the install brings the licence texts beside the player, a first
# plain run plays the demo tune, and a plain run with a saved list resumes it
# instead (no argument at all), as does one whose list names a file.
# Usage: run_script_selftest.sh <scripts/run>
set -u
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

tree=$work/tree
app=$tree/build/windows-x64/player/app
mkdir -p "$tree/scripts" "$app/lang" "$app/skin/default" "$work/bin" "$work/data"
cp "$script" "$tree/scripts/run"
for tool in setup build-deps; do printf '#!/bin/sh\nexit 0\n' >"$tree/scripts/$tool"; done
for file in Sorivanel.exe Quorvane.exe sono.dll licence-en.txt licence-fr.txt; do echo "$file" >"$app/$file"; done
echo lang >"$app/lang/lang-en.ini"
echo skin >"$app/skin/default/skin.ini"
chmod +x "$tree/scripts/"*

# Each stand-in notes how it was called; wine notes its arguments one a line.
cat >"$work/bin/wine" <<'STUB'
#!/bin/sh
: >"$SV_WINE_LOG"
for arg in "$@"; do echo "$arg" >>"$SV_WINE_LOG"; done
STUB
printf '#!/bin/sh\necho "Z:$2"\n' >"$work/bin/winepath"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/cmake"
printf '#!/bin/sh\nmkdir -p "$WINEPREFIX"\n' >"$work/bin/wineboot"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/wineserver"
# sox: the last argument that names a file to make is its output.
cat >"$work/bin/sox" <<'STUB'
#!/bin/sh
out=""
for arg in "$@"; do case $arg in *.wav) out=$arg ;; esac; done
[ -n "$out" ] && echo tone >"$out"
exit 0
STUB
chmod +x "$work/bin/"*

run() {
  PATH="$work/bin:$PATH" XDG_DATA_HOME="$work/data" DISPLAY=:0 SV_WINE_LOG="$work/wine.log" \
    bash "$tree/scripts/run" "$@" >"$work/run.out" 2>&1 || fail "scripts/run $*: $(cat "$work/run.out")"
}

installed=$work/data/sorivanel
run
for file in licence-en.txt licence-fr.txt Sorivanel.exe lang/lang-en.ini; do
  [ -f "$installed/$file" ] || fail "$file is not installed"
done
[ "$(sed -n 1p "$work/wine.log")" = "Sorivanel.exe" ] || fail "the player was not started: $(cat "$work/wine.log")"
[ "$(sed -n 2p "$work/wine.log")" = "Z:$installed/demo.wav" ] || fail "no saved list, yet no demo: $(cat "$work/wine.log")"

# Only the header: no list to resume yet.
printf '#EXTM3U\r\n' >"$installed/Sorivanel.m3u"
run
[ "$(sed -n 2p "$work/wine.log")" = "Z:$installed/demo.wav" ] || fail "an empty list, yet no demo"

printf '#EXTM3U\r\n#EXTINF:-1,Song\r\nsong.mp3\r\n' >"$installed/Sorivanel.m3u"
run
[ "$(cat "$work/wine.log")" = "Sorivanel.exe" ] || fail "the saved list was not resumed: $(cat "$work/wine.log")"

# Files given are played whatever the list.
echo tone >"$work/given.wav"
run "$work/given.wav"
[ "$(sed -n 2p "$work/wine.log")" = "Z:$work/given.wav" ] || fail "the given file was not handed over"

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
