"""Drives the real quorlin-tessary on a private Xvfb display with openbox, like a person would:
xdotool for the mouse and keyboard, ImageMagick for screenshots, SDL's disk driver for sound."""

import array
import math
import os
import shutil
import subprocess
import tempfile
import time
import wave

SCREEN_W, SCREEN_H = 1024, 768
RATE = 22050


def px(twips):
    """Layout positions are in twips, 15 to a pixel."""
    return round(twips / 15)


def tone(ms, freq=500, amplitude=8192, rate=RATE):
    """A square-wave burst, the shape every test sample has."""
    n = rate * ms // 1000
    half = max(1, rate // (2 * freq))
    return array.array("h", (amplitude if (i // half) % 2 == 0 else -amplitude for i in range(n)))


def write_wav(path, samples, rate=RATE):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(samples.tobytes())


def read_raw(path):
    data = array.array("h")
    with open(path, "rb") as f:
        raw = f.read()
    data.frombytes(raw[: len(raw) // 2 * 2])
    return data


def find(haystack, needle):
    """Index of needle (an array) in haystack, or -1."""
    return haystack.tobytes().find(needle.tobytes())


class Session:
    """One X server, one window manager and one running program."""

    def __init__(self, binary, samples=None, extra_env=None):
        self.binary = binary
        self.tmp = tempfile.mkdtemp(prefix="tessary-e2e-")
        self.capture = os.path.join(self.tmp, "out.raw")
        self.set_dir = os.path.join(self.tmp, "data", "quorlin-tessary", "Set")
        os.makedirs(self.set_dir)
        for stem, data in (samples or {}).items():
            write_wav(os.path.join(self.set_dir, stem + ".wav"), data)
        self.extra_env = extra_env or {}
        self.procs = []
        self.app = None

    # -- set-up and tear-down -------------------------------------------------------------
    def __enter__(self):
        r, w = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24",
             "-nolisten", "tcp"], pass_fds=(w,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(w)
        self.procs.append(xvfb)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(r)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        for key in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_DIRS"):
            self.env.pop(key, None)
        wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(wm)
        self.wait_for(lambda: self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                       check=False).find("window id") >= 0, 10, "openbox")
        return self

    def __exit__(self, *exc):
        if self.app:
            if self.app.poll() is None:
                self.app.kill()
                self.app.wait()
            self.app.stdout.close()
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def start(self):
        env = dict(self.env, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.capture,
                   XDG_DATA_HOME=os.path.join(self.tmp, "data"), HOME=self.tmp,
                   XDG_RUNTIME_DIR=self.tmp)
        env.update(self.extra_env)
        self.app = subprocess.Popen([self.binary], env=env, stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT)
        out = self.wait_for(lambda: self.run(["xdotool", "search", "--onlyvisible", "--name",
                                              "^Quorlin Tessary$"], check=False).split(),
                            15, "the window")
        self.window = out[0]
        self.wait_for(lambda: self.client_origin() is not None, 5, "window geometry")
        time.sleep(0.3)  # the first activation and the sound device
        return self.window

    # -- helpers ---------------------------------------------------------------------------
    def run(self, argv, check=True):
        res = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=20)
        if check and res.returncode != 0:
            raise RuntimeError(f"{argv} failed: {res.stderr}")
        return res.stdout

    @staticmethod
    def wait_for(probe, seconds, what):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            value = probe()
            if value:
                return value
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what}")

    def client_geometry(self):
        info = self.run(["xwininfo", "-id", self.window])
        fields = {}
        for line in info.splitlines():
            if ":" in line:
                k, v = line.split(":", 1)
                fields[k.strip()] = v.strip()
        return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
                int(fields["Width"]), int(fields["Height"]))

    def client_origin(self):
        try:
            x, y, _, _ = self.client_geometry()
            return (x, y)
        except (RuntimeError, KeyError, ValueError):
            return None

    def click_at(self, x, y):
        """Clicks at a point of the window's client area, in pixels."""
        ox, oy = self.client_origin()
        self.run(["xdotool", "mousemove", "--sync", str(ox + x), str(oy + y), "click", "1"])
        time.sleep(0.1)

    def park_mouse(self):
        """Moves the pointer onto bare window background, so that no control shows hover."""
        ox, oy = self.client_origin()
        self.run(["xdotool", "mousemove", "--sync", str(ox + 3), str(oy + 450)])
        time.sleep(0.1)

    def click_twips(self, left, top, width, height):
        self.click_at(px(left + width / 2), px(top + height / 2))

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "60", text])
        time.sleep(0.15)

    def key(self, *keys):
        self.run(["xdotool", "key", *keys])
        time.sleep(0.15)

    def screenshot(self, path=None):
        path = path or os.path.join(self.tmp, "shot.png")
        self.run(["import", "-window", "root", path])
        return path

    def crop_rgb(self, shot, x, y, w, h):
        """The pixels of a rectangle of the client area, as bytes of RGB."""
        ox, oy = self.client_origin()
        ppm = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{ox + x}+{oy + y}", "+repage",
                              "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
        # P6\n<w> <h>\n255\n<data>
        parts = ppm.split(b"\n", 3)
        return parts[3]

    def captured(self):
        return read_raw(self.capture) if os.path.exists(self.capture) else array.array("h")

    def close_with_wm(self):
        self.run(["xdotool", "windowactivate", "--sync", self.window], check=False)
        self.key("alt+F4")

    def wait_exit(self, seconds):
        try:
            return self.app.wait(seconds)
        except subprocess.TimeoutExpired:
            return None


def rms_db(samples):
    if not samples:
        return -math.inf
    mean = sum(s * s for s in samples) / len(samples)
    return 10 * math.log10(mean / 32768.0 ** 2) if mean else -math.inf


