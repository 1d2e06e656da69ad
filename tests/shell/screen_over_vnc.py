#!/usr/bin/env python3
"""The program as an operator meets it, on Qt's VNC platform (the platform
behaviour of the board's frame buffer): started in a sandbox against the
simulated board, the welcome must be seen on top of the home screen, and
once it is gone a tap on the settings tile must open the settings menu.

usage: screen_over_vnc.py BUILD_DIR SOURCE_DIR
Exit 0 passed, 1 failed, 77 skipped (no VNC platform plugin).
"""

import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SOURCE = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "..")
sys.path.insert(0, os.path.join(SOURCE, "tools"))
import vnc  # noqa: E402

THEME = (0x7E, 0xBF, 0xFF)
LAUNCH_LIMIT = 12.0  # s from launch to the welcome on screen (start-up holds ~3 s)
TAP_LIMIT = 1.5      # s from a tap to its screen


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def dark(rgb):
    return max(rgb) < 0x90


class Failed(Exception):
    pass


def check(screen, condition, what, limit):
    took = screen.wait_until(condition, limit)
    if took is None:
        raise Failed(what + " not seen within %.1f s" % limit)
    return took


def main():
    build = os.path.abspath(sys.argv[1])
    root = tempfile.mkdtemp(prefix="frostpanel-vnc-")
    procs = []
    try:
        for d in ("home/root/languages", "dev", "mnt/usb-memory"):
            os.makedirs(os.path.join(root, d), exist_ok=True)
        env = dict(os.environ)
        env.pop("FROSTPANEL_SERIAL", None)
        env["FROSTPANEL_ROOT"] = root
        env["FROSTPANEL_TCP_PORT"] = str(free_port())
        env["FROSTPANEL_UDP_PORT"] = str(free_port(socket.SOCK_DGRAM))
        env["PATH"] = os.path.join(SOURCE, "tools", "demo-bin") + os.pathsep + env.get("PATH", "")
        # Leaks are the unit tests' business; this one ends the program with a signal.
        env["ASAN_OPTIONS"] = "detect_leaks=0"
        subprocess.run([os.path.join(build, "frostpanel-demo-seed")], env=env, check=True)
        languages = os.path.join(build, "languages")
        if os.path.isdir(languages):
            for f in os.listdir(languages):
                shutil.copy(os.path.join(languages, f), os.path.join(root, "home/root/languages", f))

        device = os.path.join(root, "dev/ttymxc1")
        sim = subprocess.Popen([os.path.join(build, "frostpanel-boardsim"), "--link", device, "--exit-on-eof"],
                               env=env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
        procs.append(sim)
        deadline = time.monotonic() + 10
        while not os.path.exists(device):
            if time.monotonic() > deadline or sim.poll() is not None:
                raise Failed("the simulated board did not start")
            time.sleep(0.05)

        port = free_port()
        env["QT_QPA_PLATFORM"] = "vnc:size=480x272:mmsize=127x72:port=%d" % port
        log_path = os.path.join(root, "frostpanel.log")
        launched = time.monotonic()
        with open(log_path, "wb") as log:
            app = subprocess.Popen([os.path.join(build, "frostpanel")], env=env, stdout=log, stderr=subprocess.STDOUT)
        procs.append(app)
        try:
            screen = vnc.Vnc("127.0.0.1", port, connect_timeout=LAUNCH_LIMIT)
        except vnc.VncError:
            time.sleep(0.5)
            with open(log_path, "rb") as f:
                text = f.read().decode("utf-8", "replace")
            if app.poll() is not None and "platform plugin" in text and "vnc" in text:
                print("SKIP: Qt's VNC platform plugin is not installed")
                return 77
            raise

        # The welcome: its panel title in the theme colour over the darkened home screen.
        check(screen, lambda: screen.pixel(240, 45) == THEME and dark(screen.pixel(20, 20)),
              "the welcome over the home screen", LAUNCH_LIMIT - (time.monotonic() - launched))
        print("welcome on screen %.2f s after launch" % (time.monotonic() - launched))

        # A touch dismisses it; the home screen is then in front, its title bar bright.
        screen.tap(397, 190)
        check(screen, lambda: screen.pixel(20, 20) == THEME and screen.pixel(240, 45) != THEME,
              "the home screen after a touch on the welcome", TAP_LIMIT)
        # The settings tile opens the settings menu (its first key in the theme
        # colour where the home screen has the gap between its tile rows).
        # Past the double-click time: a second press within it is
        # delivered to the window of the first one, the welcome now gone.
        time.sleep(0.5)
        screen.tap(397, 190)
        took = check(screen, lambda: screen.pixel(20, 154) == THEME, "the settings menu", TAP_LIMIT)
        print("settings menu %.2f s after the tap" % took)
        screen.close()
        return 0
    except (Failed, vnc.VncError, OSError, subprocess.CalledProcessError) as e:
        print("FAIL: %s" % e)
        log_path = os.path.join(root, "frostpanel.log")
        if os.path.exists(log_path):
            with open(log_path, "rb") as f:
                tail = f.read().decode("utf-8", "replace").splitlines()[-15:]
            print("program log (last lines):\n  " + "\n  ".join(tail))
        return 1
    finally:
        for p in reversed(procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
