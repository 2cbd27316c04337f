#!/bin/sh
# Start-up and idle figures of the built program beside a bare Qt window (see run.py --help).
# Example: bench/start/run.sh --display :76 --runs 15 --gl
exec python3 "$(dirname "$0")/run.py" "$@"
