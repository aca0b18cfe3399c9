#!/bin/sh
# Runs wine-run with a stand-in for Wine that plays a scene per program: a
# test program Wine ends before it starts is started again, at most twice; a
# test program that started and failed, and any other program, run once.
# Usage: wine_run_selftest.sh <wine-run>
set -u
wine_run=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mkdir -p "$work/bin"
# The stand-in counts its starts; its scene is the program's first line, with
# one word per start: "lost" (ended before the mark), "ok" or "fails" (after
# it). The last word holds for any later start.
cat >"$work/bin/wine" <<'STUB'
#!/bin/sh
count=$(($(cat "$1.starts" 2>/dev/null || echo 0) + 1))
echo "$count" >"$1.starts"
set -- $(head -1 "$1")
shift $(( count <= $# ? count - 1 : $# - 1 ))
case $1 in
  lost) exit 1 ;;
  ok) [ -n "${SV_STARTED_MARK:-}" ] && : >"$SV_STARTED_MARK"; exit 0 ;;
  fails) [ -n "${SV_STARTED_MARK:-}" ] && : >"$SV_STARTED_MARK"; exit 3 ;;
esac
STUB
chmod +x "$work/bin/wine"

# scene, whether the program is a test program, expected status and starts
check() {
  program=$work/$1.exe
  printf '%s\n' "$2" >"$program"
  [ "$3" = test ] && echo "...SV_STARTED_MARK..." >>"$program"
  PATH="$work/bin:$PATH" DISPLAY=:0 TMPDIR=$work sh "$wine_run" "$program" --gtest_brief=1 2>"$work/$1.err"
  status=$?
  [ "$status" -eq "$4" ] || fail "$1: status $status, expected $4"
  starts=$(cat "$program.starts")
  [ "$starts" -eq "$5" ] || fail "$1: started $starts times, expected $5"
  again=$(grep -c "starting it again" "$work/$1.err")
  [ "$again" -eq $(($5 - 1)) ] || fail "$1: said $again times that it starts again"
}
check lost-once "lost ok" test 0 2
check lost-always "lost" test 1 3
check started-and-failed "fails" test 3 1
check lost-then-failed "lost fails" test 3 2
check not-a-test-program "lost ok" other 1 1
check passes "ok" test 0 1
[ -z "$(ls "$work" | grep sv-started)" ] || fail "a mark was left behind"

[ "$failures" -eq 0 ] && echo "wine-run: every scene as expected"
exit "$failures"
