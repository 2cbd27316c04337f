#!/bin/sh
# Runs one test program with HOME in a fresh folder, so per-user files never touch the real ones.
home=$(mktemp -d "${TMPDIR:-/tmp}/zf-test-home.XXXXXX") || exit 1
HOME="$home" XDG_CONFIG_HOME="$home/.config" "$@"
rc=$?
rm -rf "$home"
exit $rc
