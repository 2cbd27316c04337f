#!/bin/sh
# Whole-process figures of zentrafoxctl get and set, with and without link time (see run.py --help).
exec python3 "$(dirname "$0")/run.py" "$@"
