#!/bin/sh
# Runs scripts/run in a copy of its tree with stand-ins for the build and
# Wine (sox and oggenc are real: the demo tune is checked with mutagen):
# - the install brings the programs and the shipped data; shipped data is
#   updated only where it is still the one installed, and a file changed
#   after the install is kept, a newer shipped one said once to be beside it;
# - a first plain run plays the tagged demo tune, a run with a saved list
#   resumes it, files given are played;
# - without a sound server or card Wine is told to look for no audio driver,
#   once, and told again to find its own when a server appears;
# - a hand-over to a current player running from the run folder builds and
#   copies nothing and says only what it handed over;
# - a folder without playable files of its own is not handed over.
# Usage: run_script_selftest.sh <scripts/run>
set -u
script=$1
work=$(mktemp -d)
player=""
trap '[ -n "$player" ] && kill "$player" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

tree=$work/tree
app=$tree/build/windows-x64/player/app
mkdir -p "$tree/scripts" "$tree/player" "$app/lang" "$app/skin/default" "$work/bin" "$work/data"
cp "$script" "$tree/scripts/run"
cp "$(dirname "$script")/../player/StartupRules.h" "$tree/player/"
for tool in setup build-deps; do printf '#!/bin/sh\necho %s >>"$SV_CALLS"\n' "$tool" >"$tree/scripts/$tool"; done
for file in Sorivanel.exe Quorvane.exe sono.dll licence-en.txt licence-fr.txt; do echo "$file" >"$app/$file"; done
echo lang >"$app/lang/lang-en.ini"
echo skin >"$app/skin/default/skin.ini"
echo play >"$app/skin/default/img_play.bmp"
chmod +x "$tree/scripts/"*

# Each stand-in notes that it was called; wine notes the arguments of its
# last program one a line, and its registry edits apart.
cat >"$work/bin/wine" <<'STUB'
#!/bin/sh
if [ "$1" = reg ]; then echo "$*" >>"$SV_CALLS"; exit 0; fi
: >"$SV_WINE_LOG"
for arg in "$@"; do echo "$arg" >>"$SV_WINE_LOG"; done
STUB
printf '#!/bin/sh\necho "Z:$2"\n' >"$work/bin/winepath"
printf '#!/bin/sh\necho cmake >>"$SV_CALLS"\n' >"$work/bin/cmake"
printf '#!/bin/sh\nmkdir -p "$WINEPREFIX"\n' >"$work/bin/wineboot"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/wineserver"
# No sound server unless the test says there is one.
printf '#!/bin/sh\n[ -f "%s/server" ]\n' "$work" >"$work/bin/pactl"
chmod +x "$work/bin/"*

run() {
  rm -f "$work/wine.log" "$work/calls"
  PATH="$work/bin:$PATH" XDG_DATA_HOME="$work/data" DISPLAY=:0 SV_WINE_LOG="$work/wine.log" SV_CALLS="$work/calls" \
    bash "$tree/scripts/run" "$@" >"$work/run.out" 2>&1
}
runs() { run "$@" || fail "scripts/run $*: $(cat "$work/run.out")"; }
said() { grep -c "$1" "$work/run.out"; }

installed=$work/data/sorivanel
runs
for file in licence-en.txt licence-fr.txt Sorivanel.exe sono.dll lang/lang-en.ini skin/default/skin.ini; do
  cmp -s "$app/$file" "$installed/$file" || fail "$file is not installed"
done
[ "$(sed -n 1p "$work/wine.log")" = "Sorivanel.exe" ] || fail "the player was not started: $(cat "$work/wine.log")"
[ "$(sed -n 2p "$work/wine.log")" = "Z:$installed/demo.ogg" ] || fail "no saved list, yet no demo: $(cat "$work/wine.log")"
tags=$(/usr/bin/python3 -c 'import mutagen, sys; f = mutagen.File(sys.argv[1]); print(f["artist"][0], "-", f["title"][0])' \
  "$installed/demo.ogg" 2>&1)
[ "$tags" = "Sorivanel - Plucked Tune in Two Voices" ] || fail "the demo tune is not tagged: $tags"
[ "$(said 'to stop the player')" -eq 1 ] || fail "a start does not say how to stop: $(cat "$work/run.out")"
if grep -qs '^ *[0-9]' /proc/asound/cards; then
  echo "this machine has a sound card: the run without one is not checked"
else
  grep -qxF 'reg add HKCU\Software\Wine\Drivers /v Audio /d  /f' "$work/calls" ||
    fail "no sound server nor card, yet Wine looks for an audio driver: $(cat "$work/calls")"
  runs
  ! grep -q '^reg' "$work/calls" || fail "the audio driver setting is written again: $(cat "$work/calls")"
  touch "$work/server"
  runs
  grep -qxF 'reg delete HKCU\Software\Wine\Drivers /v Audio /f' "$work/calls" ||
    fail "a sound server, yet Wine is still told to use no audio driver: $(cat "$work/calls")"
fi

# Only the header: no list to resume yet.
printf '#EXTM3U\r\n' >"$installed/Sorivanel.m3u"
runs
[ "$(sed -n 2p "$work/wine.log")" = "Z:$installed/demo.ogg" ] || fail "an empty list, yet no demo"

printf '#EXTM3U\r\n#EXTINF:-1,Song\r\nsong.mp3\r\n' >"$installed/Sorivanel.m3u"
runs
[ "$(cat "$work/wine.log")" = "Sorivanel.exe" ] || fail "the saved list was not resumed: $(cat "$work/wine.log")"

# Files given are played whatever the list.
echo tone >"$work/given.wav"
runs "$work/given.wav"
[ "$(sed -n 2p "$work/wine.log")" = "Z:$work/given.wav" ] || fail "the given file was not handed over"

# Edited here: the skin (as the editor saves it) and a language. Then a new
# skin and a new button picture are shipped, and a licence text was lost.
echo "my skin" >"$installed/skin/default/skin.ini"
echo "my lang" >"$installed/lang/lang-en.ini"
echo "skin 2" >"$app/skin/default/skin.ini"
echo "play 2" >"$app/skin/default/img_play.bmp"
rm "$installed/licence-fr.txt"
runs
[ "$(cat "$installed/skin/default/skin.ini")" = "my skin" ] || fail "the skin edited here was replaced"
[ "$(cat "$installed/lang/lang-en.ini")" = "my lang" ] || fail "the language edited here was replaced"
cmp -s "$app/skin/default/skin.ini" "$installed/skin/default/skin.ini.new" || fail "the new shipped skin is not beside"
[ ! -e "$installed/lang/lang-en.ini.new" ] || fail "a language nobody shipped anew is put beside"
cmp -s "$app/skin/default/img_play.bmp" "$installed/skin/default/img_play.bmp" || fail "a picture left alone is not updated"
cmp -s "$app/licence-fr.txt" "$installed/licence-fr.txt" || fail "a lost licence text is not installed again"
[ "$(said 'skin.ini.new')" -eq 1 ] || fail "the new shipped skin beside is not told once: $(cat "$work/run.out")"
[ "$(said 'lang-en')" -eq 0 ] || fail "a language nobody shipped anew is talked of: $(cat "$work/run.out")"
for _ in 1 2 3; do runs; done
[ "$(cat "$installed/skin/default/skin.ini")" = "my skin" ] || fail "the skin edited here was replaced by a later run"
[ "$(said 'skin.ini')" -eq 0 ] || fail "the new shipped skin beside is told again: $(cat "$work/run.out")"

# A player of this prefix runs (a stand-in with its name and environment).
WINEPREFIX="$installed/wineprefix" bash -c 'exec -a Sorivanel.exe sleep 300' &
player=$!
for _ in $(seq 100); do grep -qs '^Sorivanel.exe' "/proc/$player/cmdline" && break; sleep 0.1; done
echo "lang 2" >"$app/lang/lang-en.ini"
rm "$installed/lang/lang-en.ini"
runs "$work/given.wav"
[ "$(cat "$work/run.out")" = "run: handed over to the running player: $work/given.wav" ] ||
  fail "a hand-over says more than what it handed over: $(cat "$work/run.out")"
[ ! -e "$work/calls" ] || fail "a hand-over builds: $(cat "$work/calls")"
[ ! -e "$installed/lang/lang-en.ini" ] || fail "a hand-over installs"
[ "$(sed -n 2p "$work/wine.log")" = "Z:$work/given.wav" ] || fail "the file was not handed over"
runs
[ "$(cat "$work/wine.log")" = "$(printf 'Sorivanel.exe\n/show')" ] || fail "a plain hand-over does not show the window"
echo "Sorivanel.exe 2" >"$app/Sorivanel.exe"
runs "$work/given.wav"
cmp -s "$app/Sorivanel.exe" "$installed/Sorivanel.exe" || fail "a player older than the build is not replaced"
[ "$(said 'to stop the player')" -eq 0 ] || fail "a hand-over says how to stop: $(cat "$work/run.out")"
[ "$(said 'handed over')" -eq 1 ] || fail "a hand-over after a build does not say so: $(cat "$work/run.out")"
kill "$player"
player=""

# A folder whose songs are all in sub-folders would only empty the list.
mkdir -p "$work/albums/one" "$work/loose"
echo tone >"$work/albums/one/song.mp3"
echo tone >"$work/loose/SONG.MP3"
run "$work/albums" && fail "a folder of sub-folders only is handed over"
[ ! -e "$work/wine.log" ] || fail "the player is started for a folder of sub-folders only"
[ "$(said "$work/albums holds no playable file")" -eq 1 ] || fail "a folder of sub-folders only is not told: $(cat "$work/run.out")"
runs "$work/albums" "$work/loose"
[ "$(sed -n 2,3p "$work/wine.log")" = "Z:$work/loose" ] || fail "a folder with a song is not handed over alone"

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
