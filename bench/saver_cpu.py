#!/usr/bin/env python3
"""CPU use of the running saver: the demo scene full-screen on a 1920 x 1080 Xvfb screen.

    bench/saver_cpu.py NATIVE_BUILD_DIR [MINGW_BUILD_DIR] [--seconds N] [--size WxH]

Runs the Linux player (and, given the Windows build, the Windows program under Wine) with `/s`
for N seconds (60 by default), ends it and reports the process's CPU seconds from getrusage,
per minute of running and as a share of one core. Start-up is included. Under Wine the
wineserver's share over the same time is reported beside it; the X server's is left out on both.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def free_display():
    for n in range(80, 100):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    sys.exit("no free X display number")


def proc_cpu_seconds(pid):
    """User + system time of a process we did not start, from /proc."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError):
        return 0.0


def pids_named(name):
    out = subprocess.run(["pgrep", "-u", str(os.getuid()), name], capture_output=True, text=True).stdout
    return [int(p) for p in out.split()]


def measure(argv, seconds, env, end):
    """Starts argv, lets it run, ends it with `end(pid)` and returns (cpu seconds, wall seconds)."""
    start = time.monotonic()
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(seconds)
    if proc.poll() is not None:
        sys.exit(f"{argv[0]} ended by itself after {time.monotonic() - start:.1f} s (code {proc.returncode})")
    end(proc.pid)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    return usage.ru_utime + usage.ru_stime, wall


def report(label, cpu, wall):
    per_minute = cpu / wall * 60
    print(f"{label}: {cpu:.2f} CPU s in {wall:.1f} s = {per_minute:.2f} CPU s per minute = "
          f"{100 * cpu / wall:.1f} % of one core")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("native")
    parser.add_argument("mingw", nargs="?")
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--size", default="1920x1080")
    args = parser.parse_args()
    native = os.path.abspath(args.native)
    vxscene = os.path.join(native, "tools/vxscene/vxscene")
    lumora = os.path.join(native, "src/lumora")

    work = tempfile.mkdtemp()
    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", f"{args.size}x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(50):
            if os.path.exists(f"/tmp/.X11-unix/X{display}"):
                break
            time.sleep(0.1)
        env = dict(os.environ, DISPLAY=f":{display}", XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_RUNTIME_DIR=os.path.join(work, "run"), SDL_AUDIODRIVER="dummy")
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        subprocess.run([vxscene, "demo", "--out", os.path.join(work, "scene")], check=True, stdout=subprocess.DEVNULL)
        print(f"The demo scene full-screen on a {args.size} screen, sound on, {args.seconds:g} s each:")

        subprocess.run([vxscene, "pack", "--stub", lumora, "--out", os.path.join(work, "Demo"),
                        os.path.join(work, "scene")], check=True, stdout=subprocess.DEVNULL)
        cpu, wall = measure([os.path.join(work, "Demo"), "/s"], args.seconds, env,
                            lambda pid: os.kill(pid, signal.SIGTERM))
        report("Linux player", cpu, wall)

        if args.mingw:
            exe = os.path.join(os.path.abspath(args.mingw), "src/StandAloneScr.exe")
            subprocess.run([vxscene, "pack", "--stub", exe, "--out", os.path.join(work, "Demo.scr"),
                            os.path.join(work, "scene")], check=True, stdout=subprocess.DEVNULL)
            wine_env = dict(env, WINEPREFIX=os.environ.get("WINEPREFIX", os.path.join(ROOT, "build/wine")),
                            WINEDEBUG="-all")
            run = os.path.join(ROOT, "scripts/wine-run.sh")
            subprocess.run(["wineserver", "-k"], env=wine_env, stderr=subprocess.DEVNULL)
            subprocess.run([run, "cmd", "/c", "exit"], env=wine_env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)  # the prefix and the wineserver up first
            server = pids_named("wineserver")
            server_before = sum(proc_cpu_seconds(p) for p in server)
            server_after = []

            def end_wine(pid):
                server_after.append(sum(proc_cpu_seconds(p) for p in server))
                subprocess.run(["wineserver", "-k"], env=wine_env)

            cpu, wall = measure([run, os.path.join(work, "Demo.scr"), "/s"], args.seconds, wine_env, end_wine)
            server_cpu = server_after[0] - server_before
            report("Windows program under Wine", cpu, wall)
            report("  wineserver beside it", server_cpu, wall)
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
