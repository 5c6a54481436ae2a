"""Drives the real quorlin-tessary on a private Xvfb display with openbox, like a person would:
xdotool for the mouse and keyboard, ImageMagick for screenshots, and for sound either a private
PulseAudio server with a null sink (what the sink plays, recorded with parec) or, where no server
answers, SDL's disk driver."""

import array
import math
import os
import shutil
import signal
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


class PulseServer:
    """A private PulseAudio server with one null sink at 44100 Hz, and a recording of everything
    the sink plays. It can be killed and started again at the same address."""

    RATE = 44100

    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.socket = os.path.join(folder, "native")
        self.address = "unix:" + self.socket
        self.server = None
        self.recorder = None
        self.takes = 0

    def env(self):
        return dict(os.environ, PULSE_RUNTIME_PATH=self.folder, PULSE_SERVER=self.address,
                    PULSE_STATE_PATH=self.folder, HOME=self.folder)

    def start(self):
        self.server = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--log-target=stderr", "--log-level=error",
             "-L", f"module-native-protocol-unix socket={self.socket} auth-anonymous=1",
             "-L", f"module-null-sink sink_name=tessary_null rate={self.RATE} channels=1",
             "-L", "module-always-sink"],
            env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        Session.wait_for(lambda: subprocess.run(["pactl", "info"], env=self.env(),
                                                capture_output=True).returncode == 0,
                         10, "the sound server")
        self.record()
        return self

    def record(self):
        """Starts a new recording; parec delivers nothing for about a second after it starts,
        so this returns once data flows."""
        self.takes += 1
        self.capture = os.path.join(self.folder, f"take{self.takes}.raw")
        self.recorder = subprocess.Popen(
            ["parec", "--raw", "--format=s16le", "--channels=1", f"--rate={self.RATE}",
             "--latency-msec=10", "-d", "tessary_null.monitor", self.capture],
            env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        Session.wait_for(lambda: os.path.exists(self.capture) and
                         os.path.getsize(self.capture) > 0, 10, "parec's first data")

    def recorded(self):
        """Everything recorded so far in this take."""
        return read_raw(self.capture)

    def stop_recording(self):
        if self.recorder and self.recorder.poll() is None:
            self.recorder.send_signal(signal.SIGINT)  # so that it writes out what it holds
            try:
                self.recorder.wait(5)
            except subprocess.TimeoutExpired:
                self.recorder.kill()
        self.recorder = None
        return read_raw(self.capture)

    def kill(self):
        """Dies as a crashed server does, without a word to its clients."""
        self.server.kill()
        self.server.wait()
        if self.recorder:
            self.recorder.wait(5)
            self.recorder = None

    def stop(self):
        self.stop_recording()
        if self.server and self.server.poll() is None:
            self.server.terminate()
            self.server.wait(5)


def plant_libraries(folder, names):
    """Libraries that say "PLANTED" on stderr when loaded, under each of `names` in `folder`:
    what a stranger's checkout could hold where the programs are run."""
    source = os.path.join(folder, "planted.c")
    with open(source, "w") as f:
        f.write('#include <unistd.h>\n__attribute__((constructor)) static void planted(void)'
                ' { write(2, "PLANTED\\n", 8); }\n')
    for name in names:
        subprocess.run(["cc", "-shared", "-fPIC", "-o", os.path.join(folder, name), source],
                       check=True)


def onsets(samples, quiet=200):
    """Where each sound starts: a non-zero sample after at least `quiet` zeros."""
    found, zeros = [], quiet
    for i, v in enumerate(samples):
        if v == 0:
            zeros += 1
            continue
        if zeros >= quiet:
            found.append(i)
        zeros = 0
    return found


class Session:
    """One X server, one window manager and one running program."""

    def __init__(self, binary, samples=None, extra_env=None, pulse=False, rate=RATE):
        self.binary = binary
        self.tmp = tempfile.mkdtemp(prefix="tessary-e2e-")
        self.capture = os.path.join(self.tmp, "out.raw")
        self.set_dir = os.path.join(self.tmp, "data", "quorlin-tessary", "Set")
        os.makedirs(self.set_dir)
        for stem, data in (samples or {}).items():
            write_wav(os.path.join(self.set_dir, stem + ".wav"), data, rate)
        self.extra_env = extra_env or {}
        self.procs = []
        self.app = None
        self.pulse = PulseServer(os.path.join(self.tmp, "pulse")) if pulse else None

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
        if self.pulse:
            self.pulse.start()
        return self

    def __exit__(self, *exc):
        if self.app:
            if self.app.poll() is None:
                self.app.kill()
                self.app.wait()
            self.app.stdout.close()
        if self.pulse:
            self.pulse.stop()
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def start(self):
        # Without a server of the test's own, the address names nothing: the program falls back
        # to SDL, whose disk driver records what it plays.
        env = dict(self.env, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.capture,
                   XDG_DATA_HOME=os.path.join(self.tmp, "data"), HOME=self.tmp,
                   XDG_RUNTIME_DIR=self.tmp,
                   PULSE_SERVER=self.pulse.address if self.pulse else "unix:/nonexistent")
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
        if self.pulse:
            return self.pulse.recorded()
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


