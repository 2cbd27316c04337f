#!/usr/bin/env python3
"""Whole-process start and idle figures: a bare Qt window and Zentrafox, started alternately.

Start: exec -> first top-level window painted (the preloaded probe reports the moment), medians per
platform and the ratio to the bare window; the CPU time used by then (steadier than wall time on a
busy machine); peak RSS from wait4(). With --callgrind, the instructions executed up to the first paint
(valgrind's callgrind, all of the process's threads): the steadiest figure of all on a loaded machine. Idle: voluntary context switches of
all the program's threads over a window of seconds, on the device list and on a device's pages.
"""
import argparse
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ONE_MOUSE = "receiver dongle1 vid=373B pid=1002 address=A10001\n" \
            "mouse z1-3395 vid=373B pid=1001 cid=05 mid=1F receiver=dongle1 link=receiver\n"


def base_env(home, platform, display, extra=None):
    env = dict(os.environ)
    for k in ("QT_XCB_GL_INTEGRATION", "LD_PRELOAD", "ZF_PROBE_SETTLE_MS"):
        env.pop(k, None)
    env.update(HOME=home, XDG_CONFIG_HOME=home + "/.config", XDG_CACHE_HOME=home + "/.cache",
               XDG_DATA_HOME=home + "/.local/share", XDG_RUNTIME_DIR=home, TMPDIR=home,
               QT_QPA_PLATFORM=platform)
    if platform == "xcb":
        env["DISPLAY"] = display
    env.update(extra or {})
    return env


def start_once(cmd, env, probe, timeout=20.0):
    """Returns (ms to first painted window, peak RSS in KiB, CPU ms by then) or None."""
    r, w = os.pipe()
    env = dict(env, LD_PRELOAD=probe, ZF_PROBE_FD=str(w))
    t0 = time.monotonic_ns()
    p = subprocess.Popen(cmd, env=env, pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    os.close(w)
    painted = None
    deadline = time.monotonic() + timeout
    buf = b""
    while True:  # until the program exits (the probe ends it) or the time is up
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([r], [], [], left)[0]:
            p.kill()
            break
        chunk = os.read(r, 4096)
        if not chunk:
            break
        buf += chunk
    os.close(r)
    cpu = None
    for line in buf.decode().splitlines():
        what, _, value = line.partition(" ")
        if what == "painted":
            painted = int(value)
        elif what == "cpu":
            cpu = int(value) / 1e6
    err = p.stderr.read().decode(errors="replace")
    _, _, usage = os.wait4(p.pid, 0)
    p.returncode = 0  # reaped here, for the peak RSS
    if painted is None:
        sys.stderr.write("no window painted: %s\n%s\n" % (" ".join(cmd), err[-2000:]))
        return None
    return (painted - t0) / 1e6, usage.ru_maxrss, cpu


def run_start(args, programs, platform, home):
    times = {name: [] for name, _, _ in programs}
    rss = {name: [] for name, _, _ in programs}
    cpu = {name: [] for name, _, _ in programs}
    for i in range(args.runs + 1):  # the first round warms the caches and is not counted
        for name, cmd, extra in programs:
            res = start_once(cmd, base_env(home, platform, args.display, extra), args.probe)
            if res is None:
                continue
            if i > 0:
                times[name].append(res[0])
                if res[1]:
                    rss[name].append(res[1])
                if res[2] is not None:
                    cpu[name].append(res[2])
    bare = statistics.median(times["bare"]) if times["bare"] else None
    print("\n[%s] %d starts each (exec -> first window painted)" % (platform, args.runs))
    bare_cpu = statistics.median(cpu["bare"]) if cpu["bare"] else None
    print("  %-22s %9s %7s %7s %7s %9s %7s %9s" %
          ("program", "median ms", "min", "max", "ratio", "CPU ms", "ratio", "peak MiB"))
    for name, _, _ in programs:
        t = times[name]
        if not t:
            print("  %-22s no start measured" % name)
            continue
        med = statistics.median(t)
        ratio = med / bare if bare else float("nan")
        mib = statistics.median(rss[name]) / 1024 if rss[name] else float("nan")
        c = statistics.median(cpu[name]) if cpu[name] else float("nan")
        cratio = c / bare_cpu if bare_cpu else float("nan")
        print("  %-22s %9.1f %7.1f %7.1f %6.2fx %9.1f %6.2fx %9.1f"
              % (name, med, min(t), max(t), ratio, c, cratio, mib))


def instructions_once(cmd, env, probe, work):
    """Instructions executed from exec to the first painted window, counted by callgrind; or None."""
    out = os.path.join(work, "callgrind.%p")
    env = dict(env, ZF_PROBE_FD="9", ZF_PROBE_SETTLE_MS="0")
    # env sets LD_PRELOAD for the program only, not for valgrind itself.
    subprocess.run(["valgrind", "--tool=callgrind", "--trace-children=yes", "--callgrind-out-file=" + out,
                    "env", "LD_PRELOAD=" + probe] + cmd, env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=600)
    total = None
    for name in os.listdir(work):
        if name.startswith("callgrind.") and name.endswith(".1"):  # the probe's dump at the first paint
            with open(os.path.join(work, name)) as f:
                for line in f:
                    if line.startswith("summary:") or line.startswith("totals:"):
                        total = int(line.split()[1])
                        break
    for name in os.listdir(work):
        if name.startswith("callgrind."):
            os.remove(os.path.join(work, name))
    return total


def run_instructions(args, programs, platform, home):
    print("\n[%s] instructions to the first painted window (callgrind, %d runs each, median)"
          % (platform, args.callgrind))
    counts = {name: [] for name, _, _ in programs}
    work = tempfile.mkdtemp(prefix="zf-bench-cg.")
    try:
        for _ in range(args.callgrind):
            for name, cmd, extra in programs:
                n = instructions_once(cmd, base_env(home, platform, args.display, extra), args.probe, work)
                if n:
                    counts[name].append(n)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    bare = statistics.median(counts["bare"]) if counts["bare"] else None
    for name, _, _ in programs:
        if not counts[name]:
            print("  %-22s not measured (no paint seen under callgrind)" % name)
            continue
        med = statistics.median(counts[name])
        print("  %-22s %8.1f M  %6.2fx" % (name, med / 1e6, med / bare if bare else float("nan")))


def switches(pid):
    """Per-thread (name, voluntary context switches) of a process."""
    out = {}
    try:
        tids = os.listdir("/proc/%d/task" % pid)
    except FileNotFoundError:
        return out
    for tid in tids:
        try:
            with open("/proc/%d/task/%s/comm" % (pid, tid)) as f:
                comm = f.read().strip()
            with open("/proc/%d/task/%s/status" % (pid, tid)) as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        out[tid] = (comm, int(line.split()[1]))
        except (FileNotFoundError, ProcessLookupError):
            pass
    return out


def idle_rate(pid, seconds):
    a = switches(pid)
    time.sleep(seconds)
    b = switches(pid)
    per = {}
    for tid, (comm, n) in b.items():
        per["%s/%s" % (comm, tid)] = n - a.get(tid, (comm, 0))[1]
    total = sum(per.values()) / seconds
    busiest = sorted(per.items(), key=lambda x: -x[1])[:6]
    detail = "threads: " + ", ".join("%s %.1f" % (c, n / seconds) for c, n in busiest if n)
    return total, detail


def run_idle(args, label, app, home, extra):
    devices = os.path.join(home, "one-mouse.txt")
    with open(devices, "w") as f:
        f.write(ONE_MOUSE)
    env = base_env(home, "xcb", args.display, dict(extra, ZF_HIDUSB_DEVICES=devices))
    r, w = os.pipe()
    env.update(LD_PRELOAD=args.probe, ZF_PROBE_FD=str(w), ZF_PROBE_SETTLE_MS="-1")
    log = open(os.path.join(home, "idle-%s.log" % label.replace(" ", "_")), "w+")
    p = subprocess.Popen([app], env=env, pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=log)
    os.close(w)
    # Open until the program ends: the probe writes a second line after the first, and a closed pipe
    # would kill the program with SIGPIPE.
    lines = os.fdopen(r)
    try:
        if not lines.readline():  # the program ended before its first paint: say why, not "0.0"
            p.wait()
            log.seek(0)
            print("\n[idle, xcb, %s] no window painted (exit %s):\n%s"
                  % (label, p.returncode, log.read()[-2000:]))
            return
        time.sleep(args.settle)
        if p.poll() is not None:
            log.seek(0)
            print("\n[idle, xcb, %s] the program ended after its first paint (exit %s):\n%s"
                  % (label, p.returncode, log.read()[-2000:]))
            return
        lst, lst_detail = idle_rate(p.pid, args.idle_seconds)
        xenv = dict(os.environ, DISPLAY=args.display)
        wins = subprocess.run(["xdotool", "search", "--pid", str(p.pid), "--onlyvisible", "--name", ""],
                              env=xenv, capture_output=True, text=True).stdout.split()
        if wins:  # the one mouse's tile in the middle of the list
            subprocess.run(["xdotool", "mousemove", "--window", wins[0], "600", "330", "click", "1"],
                           env=xenv, capture_output=True)
        time.sleep(args.settle + 3)  # the record is read, the wait notice closes
        if args.shot:
            subprocess.run(["import", "-window", "root", args.shot], env=xenv, capture_output=True)
        page, page_detail = idle_rate(p.pid, args.idle_seconds)
    finally:
        p.terminate()
        try:
            p.wait(5)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
        lines.close()
        log.close()
    print("\n[idle, xcb, %s] voluntary context switches per second, all threads, over %gs"
          % (label, args.idle_seconds))
    print("  device list: %5.1f   (%s)" % (lst, lst_detail))
    print("  device page: %5.1f   (%s)" % (page, page_detail))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--build", default=os.path.join(here, "..", "..", "build"))
    ap.add_argument("--runs", type=int, default=11)
    ap.add_argument("--platforms", default="offscreen,xcb")
    ap.add_argument("--display", default=os.environ.get("ZF_BENCH_DISPLAY", ":99"))
    ap.add_argument("--no-idle", action="store_true")
    ap.add_argument("--idle-seconds", type=float, default=10)
    ap.add_argument("--settle", type=float, default=3)
    ap.add_argument("--gl", action="store_true",
                    help="also start Zentrafox with the GLX integration forced (what QT_XCB_GL_INTEGRATION=none saves)")
    ap.add_argument("--callgrind", type=int, default=0, metavar="N",
                    help="also count the instructions to the first paint under callgrind, N runs each")
    ap.add_argument("--shot", help="screenshot of the page used for the idle figure")
    ap.add_argument("--compare", metavar="APP_DIR",
                    help="another build's application folder (say, a copy from before a change), started "
                         "alternately with the others under the name 'before'")
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    app = os.path.join(build, "Zentrafox", "zentrafox")
    bare = os.path.join(build, "bench", "start", "bench_bare_window")
    args.probe = os.path.join(build, "bench", "start", "libzf_start_probe.so")
    for f in (app, bare, args.probe):
        if not os.path.exists(f):
            sys.exit("missing %s: build the targets zentrafox, bench_bare_window and zf_start_probe" % f)
    devices = os.path.join(build, "Zentrafox", "virtual", "devices.txt")
    app_env = {"ZF_HIDUSB_DEVICES": devices} if os.path.exists(devices) else {}

    if args.compare:
        before = os.path.join(os.path.abspath(args.compare), "zentrafox")
        before_devices = os.path.join(os.path.abspath(args.compare), "virtual", "devices.txt")
        before_env = {"ZF_HIDUSB_DEVICES": before_devices} if os.path.exists(before_devices) else {}

    # Wall times follow the machine's load; instructions (--callgrind) do not.
    print("load average at start: %.2f %.2f %.2f" % os.getloadavg())
    xvfb = None
    home = tempfile.mkdtemp(prefix="zf-bench-start.")
    try:
        platforms = [p for p in args.platforms.split(",") if p]
        if "xcb" in platforms or not args.no_idle:
            xvfb = subprocess.Popen(["Xvfb", args.display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):  # until the server answers
                if subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=args.display),
                                  capture_output=True).returncode == 0:
                    break
                time.sleep(0.1)
        for platform in platforms:
            programs = [("bare", [bare], {}), ("zentrafox", [app], app_env)]
            if args.compare:
                programs.append(("before", [before], before_env))
            if args.gl and platform == "xcb":
                programs.append(("zentrafox GLX forced", [app], dict(app_env, QT_XCB_GL_INTEGRATION="xcb_glx")))
                programs.append(("bare GL off", [bare], {"QT_XCB_GL_INTEGRATION": "none"}))
            run_start(args, programs, platform, home)
            if args.callgrind:
                run_instructions(args, programs, platform, home)
        if not args.no_idle:
            if args.compare:
                run_idle(args, "before", before, home, before_env)
            run_idle(args, "zentrafox", app, home, app_env)
    finally:
        if xvfb:
            xvfb.send_signal(signal.SIGTERM)
            xvfb.wait()
        shutil.rmtree(home, ignore_errors=True)
    print("\nload average at end: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
