#!/usr/bin/env python3
"""Whole-process figures of zentrafoxctl against the shipped virtual mice.

For `get` and for one `set`, the median wall time over --runs runs, once with the emulated link at
USB full-speed timing (1000 us a 64-byte packet) and once with no link time: the second is the tool's
own share (process start, table, record, codecs), the difference is what the wire costs. Each run has a
fresh HOME and state folder, so nothing is cached between them."""
import argparse
import os
import statistics
import subprocess
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
default_app = os.path.normpath(os.path.join(here, "..", "..", "build", "Zentrafox"))

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("--app", default=default_app, help="application folder (default: build/Zentrafox)")
parser.add_argument("--runs", type=int, default=9)
parser.add_argument("--device", default="dongle1")
args = parser.parse_args()

tool = os.path.join(args.app, "zentrafoxctl")
commands = {"get": ["get"], "set rate": ["set", "rate", "500"]}


def once(command, packet_us):
    with tempfile.TemporaryDirectory() as tmp:
        run_dir = os.path.join(tmp, "run")
        os.mkdir(run_dir, 0o700)
        env = dict(os.environ, HOME=tmp, XDG_RUNTIME_DIR=run_dir, XDG_DATA_HOME=os.path.join(tmp, "data"),
                   XDG_CONFIG_HOME=os.path.join(tmp, "config"), ZF_HIDUSB_STATE_DIR=os.path.join(tmp, "state"),
                   ZF_HIDUSB_DEVICES=os.path.join(args.app, "virtual", "devices.txt"),
                   ZF_HIDUSB_PACKET_US=str(packet_us))
        start = time.monotonic()
        done = subprocess.run([tool, "--device", args.device] + command, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE)
        elapsed = (time.monotonic() - start) * 1000
        if done.returncode != 0:
            raise SystemExit(f"{' '.join(command)} failed: {done.stderr.decode().strip()}")
        return elapsed


print(f"{'command':<10} {'link 1000us':>12} {'no link':>10} {'wire':>8}   (median ms, {args.runs} runs)")
for name, command in commands.items():
    timed = statistics.median(once(command, 1000) for _ in range(args.runs))
    bare = statistics.median(once(command, 0) for _ in range(args.runs))
    print(f"{name:<10} {timed:12.1f} {bare:10.1f} {timed - bare:8.1f}")
