#!/bin/sh
# The tag editor, run by its end-to-end test, saves a mixed selection; then
# mutagen compares every saved file with the file as the tools made it.
# Usage: tag_editor_mutagen.sh <wine-run> <player_app_tests.exe> <fixtures> <checker.py>
set -u
wine_run=$1 tests=$2 fixtures=$3 checker=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SV_TAG_RESULTS="Z:$work" "$wine_run" "$tests" --gtest_filter=TagEditor.AMixedSelectionKeepsEachFilesOwnTags
status=$?
[ "$status" -eq 0 ] || exit "$status"
/usr/bin/python3 "$checker" "$fixtures" "$work"
