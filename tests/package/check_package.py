#!/usr/bin/python3
"""Builds the Debian package from a Release build and checks it as a
distribution would: lintian without errors, a valid desktop entry and
metainfo, a manual page that renders, dependencies that resolve, and the
program unpacked from it starting under its own X server.

usage: check_package.py BUILD_DIR
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
TOOLS = ["cpack", "lintian", "desktop-file-validate", "appstreamcli", "man", "dpkg-deb", "apt-get", "Xvfb"]


def run(cmd, **kw):
    r = subprocess.run(cmd, capture_output=True, text=True, **kw)
    if r.returncode != 0:
        raise SystemExit(f"FAIL: {' '.join(cmd)} ended with {r.returncode}\n{r.stdout}{r.stderr}")
    return r.stdout


def start_xvfb():
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                             "-noreset"], pass_fds=[w], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    display = b""
    while not display.endswith(b"\n"):
        c = os.read(r, 1)
        if not c:
            raise SystemExit("FAIL: Xvfb did not start")
        display += c
    os.close(r)
    return xvfb, ":" + display.decode().strip()


def main():
    build = os.path.abspath(sys.argv[1])
    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        print("SKIP: not installed: " + ", ".join(missing) + " (the README's test command installs them)")
        return SKIP
    work = tempfile.mkdtemp(prefix="tw-package-")
    try:
        run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", work])
        debs = glob.glob(os.path.join(work, "tovarek-w_*_amd64.deb"))
        if len(debs) != 1:
            raise SystemExit(f"FAIL: expected one tovarek-w_<version>_amd64.deb, found {os.listdir(work)}")
        deb = debs[0]
        depends = run(["dpkg-deb", "-f", deb, "Depends"])
        # SQLite is named by hand (the store loads it by name); print support
        # comes from the print module.
        for lib in ("libqt6widgets6", "libsqlite3-0", "libqt6printsupport6", "qt6-qpa-plugins"):
            if lib not in depends:
                raise SystemExit(f"FAIL: {lib} is not among the dependencies: {depends}")
        print(run(["lintian", "--fail-on", "error", deb]), end="")
        root = os.path.join(work, "root")
        run(["dpkg-deb", "-x", deb, root])
        run(["desktop-file-validate", os.path.join(root, "usr/share/applications/tovarek-w.desktop")])
        for metainfo in glob.glob(os.path.join(root, "usr/share/metainfo/*.metainfo.xml")):
            run(["appstreamcli", "validate", "--no-net", metainfo])
        # The modules loaded on first use, where the program looks for them.
        for module in ("pdf", "print"):
            if not glob.glob(os.path.join(root, f"usr/lib/**/tovarek-w/libtovarek-w-{module}.so"), recursive=True):
                raise SystemExit(f"FAIL: the {module} module is missing")
        for size in ("64x64/apps/tovarek-w.png", "256x256/apps/tovarek-w.png", "scalable/apps/tovarek-w.svg"):
            if not os.path.isfile(os.path.join(root, "usr/share/icons/hicolor", size)):
                raise SystemExit(f"FAIL: the icon {size} is missing")
        page = run(["man", "-l", os.path.join(root, "usr/share/man/man1/tovarek-w.1.gz")],
                   env=dict(os.environ, MANWIDTH="80"))
        page = re.sub(".\b", "", page)  # bold and underline by overstriking
        if "SYNOPSIS" not in page or "--version" not in page:
            raise SystemExit("FAIL: the manual page does not render:\n" + page)
        run(["apt-get", "install", "--simulate", deb])

        xvfb, display = start_xvfb()
        try:
            home = os.path.join(work, "home")
            env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_"))}
            env.update(DISPLAY=display, TW_EXIT_WHEN_SHOWN="1", HOME=home, XDG_RUNTIME_DIR=os.path.join(work, "run"))
            os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
            out = run([os.path.join(root, "usr/bin/tovarek-w")], env=env, timeout=60)
            if not any(line.startswith("shown ") for line in out.splitlines()):
                raise SystemExit("FAIL: the unpacked program did not show its window: " + out)
        finally:
            xvfb.terminate()
            xvfb.wait()
        print(f"package {os.path.basename(deb)}: lintian, desktop entry, metainfo, manual page, "
              "dependencies and start-up are sound")
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
