#!/usr/bin/python3
"""Start-up time: process start to the main window's first paint, for the
program (less its 500 ms splash) and for a minimal Qt window, under Xvfb.

usage: startup.py PROGRAM MINIMAL_WINDOW [RUNS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

SPLASH_MS = 500


def shown_after(cmd, env):
    t0 = time.time() * 1000
    out = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=60).stdout
    for line in out.splitlines():
        if line.startswith("shown "):
            return int(line.split()[1]) - t0
    raise RuntimeError(f"{cmd[0]} reported nothing: {out}")


def main():
    program, minimal = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    # A display of its own, whatever else runs: Xvfb names the one it found free.
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"],
                            pass_fds=[w], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    display = b""
    while not display.endswith(b"\n"):
        c = os.read(r, 1)
        if not c:
            raise RuntimeError("Xvfb did not start")
        display += c
    os.close(r)
    display = ":" + display.decode().strip()
    root = tempfile.mkdtemp()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", TW_EXIT_WHEN_SHOWN="1",
               XDG_CONFIG_HOME=os.path.join(root, "config"), XDG_DATA_HOME=os.path.join(root, "data"),
               XDG_RUNTIME_DIR=os.path.join(root, "run"))
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    try:
        prog, mini = [], []
        for _ in range(runs):  # interleaved, so both see the same machine
            prog.append(shown_after([program], env) - SPLASH_MS)
            mini.append(shown_after([minimal], env))
        p, m = statistics.median(prog), statistics.median(mini)
        print(f"program (less the splash): median {p:.0f} ms over {runs} runs (min {min(prog):.0f}, max {max(prog):.0f})")
        print(f"minimal Qt window:         median {m:.0f} ms over {runs} runs (min {min(mini):.0f}, max {max(mini):.0f})")
        # Each run against the minimal window measured right after it, so a
        # busy moment of the machine weighs on both sides of its ratio.
        pairs = [a / b for a, b in zip(prog, mini)]
        print(f"ratio: {p / m:.2f} (run by run: median {statistics.median(pairs):.2f}, "
              f"min {min(pairs):.2f}, max {max(pairs):.2f})")
    finally:
        xvfb.terminate()


if __name__ == "__main__":
    main()
