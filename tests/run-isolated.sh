#!/bin/sh
# Runs one test program with HOME in a fresh folder, so per-user files never touch the real ones. TMPDIR
# and XDG_RUNTIME_DIR go there too: the single-instance lock lives in the session's runtime folder (or the
# temporary folder without one), and a Zentrafox started by someone else on the machine must not turn a
# test's start into "already running".
home=$(mktemp -d "${TMPDIR:-/tmp}/zf-test-home.XXXXXX") || exit 1
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" TMPDIR="$home" XDG_RUNTIME_DIR="$home" "$@"
rc=$?
rm -rf "$home"
exit $rc
