#!/usr/bin/env python3
"""Runs t815-play as a user would, against a real JACK server with no sound
card (jackd's dummy driver, under a private server name), or a Windows build
under Wine with ALSA's file plugin as its sound card, and checks what it
plays, its exit codes and its messages.

  player_tool_test.py --player EXE [--client EXE] [--probe EXE] [--hook DLL]
                      [--runner 'wine-run.sh|prefix|arch'] GROUP

GROUP is one of:
  jack     no server, no display, the recording against the instrument's own
           rendering, SIGTERM and the saved state, the server killed mid-run
           (--client: tests/player_jack_client)
  rate     the server's rate switched under the player (jackdbus on a private
           session bus): the recording at the new rate, SIGTERM mid-switch
           (--client: tests/player_jack_client)
  window   the panel's window under Xvfb (--probe: tests/player_window_probe)
  noaudio  a Windows build under Wine without an audio device
  wine     a Windows build under Wine playing into a file through ALSA: headless
           by WASAPI and by waveOut, and the panel's window (--probe:
           tests/player_window_probe_win32, --hook: tests/player_capture_hook),
           its note against the render tool's (--render: t815-render, --plugin:
           the VST 2.4 plug-in of the same build)
Exits 77 (skipped) where jackd (for rate: jackdbus, dbus-daemon) is not
installed (jack, rate, window) or Wine cannot run the build (noaudio, wine).
"""
import argparse
import array
import fcntl
import math
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import wave

from render_tool_test import read_wav, smf, write

SKIPPED = 77
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)
    return condition


# The one server name of these tests on the machine, and the lock that
# keeps it to one test at a time (parallel tests, other build trees and
# clones wait their turn). JACK's registry holds just eight servers, and a
# slot that a killed or stuck server left is freed only when its name comes
# back: names of their own per test or build tree would fill it for good.
SERVER_NAME = "t815-test"


def take_server_name():
    """The lock on SERVER_NAME, held until the returned file is closed."""
    lock = open(os.path.join(tempfile.gettempdir(), "t815-jack-server.lock"), "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    return lock


def release_server_name(lock, leftovers):
    """Removes what a server under the name left in files matching the
    leftovers' patterns, then lets the next test have the name."""
    for pattern in leftovers:
        for leftover in glob.glob(pattern):
            try:
                os.remove(leftover)
            except OSError:
                pass
    lock.close()


class Jack:
    """A jackd with the dummy driver at 48 kHz, 256-frame periods, in
    synchronous mode (the server waits for every client each cycle, so a
    loaded machine gives no late blocks) and a client timeout of 5 s (so a
    loaded machine does not get the player thrown out), under SERVER_NAME
    from start to stop."""

    def __init__(self, workdir):
        self.name = SERVER_NAME
        self.env = dict(os.environ, JACK_DEFAULT_SERVER=self.name, JACK_NO_START_SERVER="1")
        self.log = open(os.path.join(workdir, "jackd.log"), "a")
        self.lock = take_server_name()
        self.start()

    def start(self):
        self.process = subprocess.Popen(
            ["jackd", "--no-realtime", "--sync", "--timeout", "5000", "--name", self.name,
             "-d", "dummy", "-r", "48000", "-p", "256"], stdin=subprocess.DEVNULL,
            stdout=self.log, stderr=subprocess.STDOUT, env=self.env)
        deadline = time.time() + 10
        up = False
        while not up and time.time() < deadline and self.process.poll() is None:
            up = self.running()
            if not up:
                time.sleep(0.05)
        if not up:
            self.stop()
            self.log.flush()
            raise RuntimeError("jackd did not start:\n" + open(self.log.name).read())

    def running(self):
        return self.process.poll() is None and subprocess.call(
            ["jack_lsp"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, env=self.env) == 0

    def wait_for_connection(self, port, seconds=10):
        """Whether the port got connected (the player does so once active)."""
        deadline = time.time() + seconds
        while time.time() < deadline:
            listing = subprocess.run(["jack_lsp", "-c", port], stdin=subprocess.DEVNULL,
                                     capture_output=True, text=True, env=self.env).stdout
            if any(line.startswith((" ", "\t")) for line in listing.splitlines()):
                return True
            time.sleep(0.05)
        return False

    def kill(self):
        """Kills the server as a crash would."""
        self.process.kill()
        self.process.wait()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        # A killed server leaves its clients' semaphores behind.
        release_server_name(self.lock, ["/dev/shm/jack_sem.*_%s_*" % self.name])


class JackDbus:
    """A jackdbus server as Jack runs jackd (dummy driver, 48 kHz, 256-frame
    periods, synchronous, 5 s client timeout, SERVER_NAME), driven
    over a session bus of its own: jackdbus is the one JACK server that
    changes its driver's rate while clients stay connected (set the driver's
    rate, then switch master). Its configuration and log go to the work
    folder, which it takes for its home. A client that leaves during a
    switch can leave jackdbus stuck for good (a fault of its own), so it is
    killed when it does not stop."""

    def __init__(self, workdir):
        self.name = SERVER_NAME
        self.lock = take_server_name()
        self.bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            text=True, env=dict(os.environ, HOME=workdir, XDG_CONFIG_HOME=workdir))
        address = self.bus.stdout.readline().strip()
        self.env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=address,
                        JACK_DEFAULT_SERVER=self.name, JACK_NO_START_SERVER="1")
        settings = [("engine", "driver", "string:dummy"), ("engine", "name", "string:" + self.name),
                    ("engine", "realtime", "boolean:false"), ("engine", "sync", "boolean:true"),
                    ("engine", "client-timeout", "int32:5000"),
                    ("driver", "rate", "uint32:48000"), ("driver", "period", "uint32:256")]
        # Started by us rather than by the bus, so that a stuck one is ours
        # to kill and reap: JACK takes a server name whose process lingers
        # as still in use.
        self.server = None
        try:
            self.server = subprocess.Popen(
                ["jackdbus", "auto"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL, env=dict(self.env, HOME=workdir,
                                                    XDG_CONFIG_HOME=workdir))
            deadline = time.time() + 10
            while "true" not in self.call("NameHasOwner", "string:org.jackaudio.service",
                                          bus=True).stdout:
                if time.time() > deadline or self.server.poll() is not None:
                    raise RuntimeError("jackdbus did not come up")
                time.sleep(0.05)
            for group, name, value in settings:
                self.configure(group, name, value)
            self.control("StartServer")
        except BaseException:
            self.stop()
            raise

    def call(self, method, *args, bus=False, seconds=20):
        """A method of jackdbus's controller (of the bus itself with bus)."""
        where = (["--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                  "org.freedesktop.DBus." + method] if bus else
                 ["--dest=org.jackaudio.service", "/org/jackaudio/Controller",
                  "org.jackaudio." + method])
        return subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--reply-timeout=%d" % (seconds * 1000)]
            + where + list(args), stdin=subprocess.DEVNULL, capture_output=True, text=True,
            env=self.env, timeout=seconds + 10)

    def configure(self, group, name, value):
        result = self.call("Configure.SetParameterValue", "array:string:%s,%s" % (group, name),
                           "variant:" + value)
        if result.returncode != 0:
            raise RuntimeError("jackdbus refused %s %s: %s" % (group, name, result.stderr))

    def control(self, method):
        result = self.call("JackControl." + method)
        if result.returncode != 0:
            raise RuntimeError("jackdbus %s: %s" % (method, result.stderr))

    def switch_rate(self, rate):
        """Restarts the driver at the rate; clients stay and are told."""
        self.configure("driver", "rate", "uint32:%d" % rate)
        self.control("SwitchMaster")

    def stop(self):
        if self.server:
            if self.call("JackControl.StopServer", seconds=3).returncode == 0:
                self.call("JackControl.Exit", seconds=3)
            try:
                self.server.wait(timeout=3)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()
        self.bus.terminate()
        self.bus.wait()
        release_server_name(self.lock, ["/dev/shm/jack_sem.*_%s_*" % self.name,
                                        "/dev/shm/jack_%s_*" % self.name])


class Player:
    """t815-play started in the background, with a config folder of its own."""

    def __init__(self, exe, args, env, config, runner=()):
        self.out = tempfile.TemporaryFile()
        self.err = tempfile.TemporaryFile()
        self.process = subprocess.Popen(list(runner) + [exe] + args, stdin=subprocess.DEVNULL,
                                        stdout=self.out, stderr=self.err,
                                        env=dict(env, XDG_CONFIG_HOME=config))

    def finish(self, timeout=10):
        """Exit code and stderr; None for a player that did not end in time."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            code = None
        self.err.seek(0)
        return code, self.err.read().decode("utf-8", "replace")


def run_player(exe, args, env, config, timeout=10):
    return Player(exe, args, env, config).finish(timeout)


def one_line(text):
    return len(text.strip().splitlines()) == 1


def says_nothing(text):
    """No message of the player's (a sanitizer build's runtime may print a
    summary of its own; its reports end the program with an error code)."""
    return not any(line.startswith("t815-play") for line in text.splitlines())


def saved_program(config):
    try:
        with open(os.path.join(config, "t815", "t815-play.conf")) as f:
            for line in f:
                if line.startswith("program="):
                    return int(line.split("=", 1)[1])
    except OSError:
        return None


def group_jack(options, workdir):
    config = os.path.join(workdir, "config")
    player = options.player

    # No server: one line, exit 3, at once.
    env = dict(os.environ, JACK_DEFAULT_SERVER="t815-nobody-%d" % os.getpid())
    started = time.time()
    code, err = run_player(player, ["--headless"], env, config)
    check(code == 3 and one_line(err) and "no JACK server" in err,
          "without a server: exit %s, %r" % (code, err))
    check(time.time() - started < 5, "without a server it took %.1f s" % (time.time() - started))
    code, err = run_player(player, ["--list-midi"], env, config)
    check(code == 3 and one_line(err), "--list-midi without a server: exit %s, %r" % (code, err))

    jack = Jack(workdir)
    try:
        code, err = run_player(player, ["--list-midi"], jack.env, config)
        check(code == 0 and says_nothing(err), "--list-midi: exit %s, %r" % (code, err))
        # No display for the window: exit 4.
        no_display = {k: v for k, v in jack.env.items() if k != "DISPLAY"}
        code, err = run_player(player, [], no_display, config)
        check(code == 4 and one_line(err) and "--headless" in err,
              "without a display: exit %s, %r" % (code, err))

        # The recording, then SIGTERM: exit 0, and the program the MIDI
        # selected last is remembered.
        playing = Player(player, ["--headless", "--no-connect", "--program", "5"], jack.env, config)
        client = subprocess.run([options.client, "5"], stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, env=jack.env, timeout=30)
        print(client.stdout.strip())
        check(client.returncode == 0, "the recording: exit %d, %s %s" %
              (client.returncode, client.stdout.strip(), client.stderr.strip()))
        last = [int(l.split()[-1]) for l in client.stdout.splitlines() if l.startswith("last program")]
        playing.process.send_signal(signal.SIGTERM)
        code, err = playing.finish()
        check(code == 0 and says_nothing(err), "SIGTERM: exit %s, %r" % (code, err))
        check(last and saved_program(config) == last[0],
              "remembered program %s, the MIDI selected %s" % (saved_program(config), last))

        # The remembered program comes back (the next run saves it again
        # unchanged); then the server dies under the player: exit 3.
        playing = Player(player, ["--headless"], jack.env, config)
        check(jack.wait_for_connection("T-815:out_left"), "the player never connected its outputs")
        jack.kill()
        code, err = playing.finish()
        check(code == 3 and one_line(err) and "JACK server went away" in err,
              "server killed: exit %s, %r" % (code, err))
        # Started once more and stopped cleanly, the server frees what the
        # killed one left behind.
        jack.start()
        check(last and saved_program(config) == last[0], "the program was not kept over a run")
    finally:
        jack.stop()


def group_rate(options, workdir):
    config = os.path.join(workdir, "config")
    jack = JackDbus(workdir)
    try:
        # The client connects, the rate goes from 48 to 96 kHz, then the
        # recording: it must equal the instrument rendered at 96 kHz.
        playing = Player(options.player, ["--headless", "--no-connect", "--program", "5"],
                         jack.env, config)
        client = subprocess.Popen([options.client, "5", "96000"], stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                  env=jack.env)
        if client.stdout.readline().strip() == "linked":
            jack.switch_rate(96000)
        try:
            out, err = client.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            client.kill()
            out, err = client.communicate()
        print(out.strip())
        check(client.returncode == 0 and "at 96000 Hz" in out,
              "the recording at 96 kHz: exit %d, %s %s" % (client.returncode, out.strip(),
                                                           err.strip()))

        # SIGTERM while the driver restarts at 48 kHz: the player ends within
        # seconds and cleanly, even when jackdbus gets stuck in the switch
        # (which it may, and which is left unchecked).
        jack.configure("driver", "rate", "uint32:48000")
        switching = subprocess.Popen(
            ["dbus-send", "--session", "--print-reply", "--dest=org.jackaudio.service",
             "/org/jackaudio/Controller", "org.jackaudio.JackControl.SwitchMaster"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env=jack.env)
        playing.process.send_signal(signal.SIGTERM)
        started = time.time()
        code, err = playing.finish()
        check(code == 0 and says_nothing(err), "SIGTERM mid-switch: exit %s, %r" % (code, err))
        check(time.time() - started < 5, "SIGTERM mid-switch took %.1f s" % (time.time() - started))
        switching.kill()
        switching.wait()
        last = [int(l.split()[-1]) for l in out.splitlines() if l.startswith("last program")]
        check(last and saved_program(config) == last[0],
              "remembered program %s, the MIDI selected %s" % (saved_program(config), last))
    finally:
        jack.stop()


def loudest(jack, workdir, name):
    """The largest sample in a second of the player's two outputs, recorded
    by JACK's own recorder (16-bit)."""
    path = os.path.join(workdir, name + ".wav")
    subprocess.run(["jack_rec", "-f", path, "-d", "1", "-b", "16", "T-815:out_left",
                    "T-815:out_right"], stdin=subprocess.DEVNULL, capture_output=True,
                   env=jack.env, timeout=30)
    with wave.open(path) as recording:
        samples = array.array("h", recording.readframes(recording.getnframes()))
    return max((abs(s) for s in samples), default=-1)


def group_window(options, workdir):
    """The probe waits for the test after the panel's check and while each
    key is held: a second of the player's outputs is recorded each time."""
    config = os.path.join(workdir, "config")
    jack = Jack(workdir)
    try:
        playing = Player(options.player, ["--no-connect", "--program", "13"], jack.env, config)
        probe = subprocess.Popen([options.probe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, text=True, env=jack.env)
        lines = []
        for line in probe.stdout:
            lines.append(line.strip())
            step = line.split(":")[0]
            if step == "the panel":
                peak = loudest(jack, workdir, "before")
                check(peak == 0, "the player is not silent before any press: %d" % peak)
            elif step in ("A held, two octaves down", "key 36 held with the mouse"):
                peak = loudest(jack, workdir, "held")
                lines.append("%s: the loudest sample %d" % (step, peak))
                check(peak > 1000, "%s: no sound, the loudest sample %d" % (step, peak))
            else:
                continue
            probe.stdin.write("\n")
            probe.stdin.flush()
        code = probe.wait(timeout=60)
        print("\n".join(lines))
        check(code == 0, "the window probe: exit %d, %s %s" %
              (code, " / ".join(lines), probe.stderr.read().strip()))
        code, err = playing.finish()
        check(code == 0 and says_nothing(err), "closing the window: exit %s, %r" % (code, err))
    finally:
        jack.stop()


def wine_home(options, workdir, name, sound_card):
    """A HOME for Wine's ALSA driver: with a sound card, ALSA's default device
    is the file plugin writing to out.raw in it; without, there is none (and
    no /dev/snd here). The prefix is named apart (WINEPREFIX), and it is made
    ready, its server and services started, under the caller's own HOME
    first, so that nothing lasting in the prefix, which parallel tests
    share, comes to point into this temporary folder."""
    runner = options.runner.split("|") if options.runner else []
    if runner and subprocess.call(runner, stdin=subprocess.DEVNULL) == SKIPPED:
        print("skipped: Wine cannot run this build here")
        sys.exit(SKIPPED)
    home = os.path.join(workdir, name)
    os.makedirs(home)
    raw = os.path.join(home, "out.raw")
    if sound_card:
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write('pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n' % raw)
    return home, raw


def run_wine(options, args, home, timeout=60):
    runner = options.runner.split("|") if options.runner else []
    result = subprocess.run(runner + [options.player] + args, stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=timeout,
                            env=dict(os.environ, HOME=home, LC_ALL="C.UTF-8"))
    if result.returncode == SKIPPED:
        print("skipped: Wine cannot run this build here")
        sys.exit(SKIPPED)
    return result


def ours(stderr):
    """The player's lines (Wine and ALSA may print lines of their own)."""
    return [line for line in stderr.splitlines() if line.startswith("t815-play:")]


def group_noaudio(options, workdir):
    home, _ = wine_home(options, workdir, "home", False)
    for args in [["--headless"], [], ["--headless", "--audio", "wasapi"]]:
        result = run_wine(options, args, home, timeout=300)
        check(result.returncode == 3 and
              ours(result.stderr) == ["t815-play: no audio output device could be opened"],
              "no audio device %s: exit %d, %r" % (args, result.returncode, result.stderr))


def recorded(raw):
    """What the player played: Wine mixes here in 32-bit float stereo at
    48 kHz, the format WASAPI's player takes over and ALSA's file plugin
    writes unchanged. Left and right interleaved."""
    samples = array.array("f")
    with open(raw, "rb") as f:
        data = f.read()
    samples.frombytes(data[:len(data) - len(data) % 8])
    return samples


def rms(samples):
    return math.sqrt(sum(x * x for x in samples) / len(samples)) if samples else 0.0


def group_wine(options, workdir):
    runner = options.runner.split("|") if options.runner else []
    # Headless, with a program selected and nothing playing it (Wine has no
    # MIDI input): the device gets exact silence, through either system,
    # until Ctrl+C (SIGINT, Wine's console event) ends the player with 0.
    for system in ["wasapi", "waveout"]:
        home, raw = wine_home(options, workdir, "headless-" + system, True)
        playing = Player(options.player, ["--headless", "--program", "13", "--audio", system],
                         dict(os.environ, HOME=home), home, runner)
        sizes = []
        deadline = time.time() + 30
        while len(sizes) < 2 and time.time() < deadline and playing.process.poll() is None:
            time.sleep(0.5)
            size = os.path.getsize(raw) if os.path.exists(raw) else 0
            if size > 0 and (not sizes or size > sizes[-1]):
                sizes.append(size)
        playing.process.send_signal(signal.SIGINT)
        code, err = playing.finish(timeout=30)
        if code == SKIPPED:
            print("skipped: Wine cannot run this build here")
            sys.exit(SKIPPED)
        check(len(sizes) == 2, "%s: the audio file did not grow: %s" % (system, sizes))
        samples = recorded(raw)
        check(samples and all(x == 0.0 for x in samples),
              "%s: %d samples, not all silent" % (system, len(samples)))
        check(code == 0 and not ours(err), "%s: Ctrl+C: exit %s, %r" % (system, code, err))

    # The window: the probe checks the panel, plays key 36 from the computer
    # keyboard and the mouse, holding each for 300 ms, and closes it.
    home, raw = wine_home(options, workdir, "window", True)
    playing = Player(options.player, ["--program", "13"], dict(os.environ, HOME=home), home,
                     runner)
    hook = "Z:" + os.path.abspath(options.hook).replace("/", "\\")
    probe = subprocess.run(runner + [options.probe, hook, "300"], stdin=subprocess.DEVNULL,
                           capture_output=True, text=True, env=dict(os.environ, HOME=home),
                           timeout=120)
    print(probe.stdout.strip())
    check(probe.returncode == 0, "the window probe: exit %d, %s %s" %
          (probe.returncode, probe.stdout.strip(), probe.stderr.strip()))
    code, err = playing.finish(timeout=30)
    check(code == 0 and not ours(err), "closing the window: exit %s, %r" % (code, err))
    # Silence until the first press, then sound (20 ms windows, stereo).
    samples = recorded(raw)
    first = next((i for i, x in enumerate(samples) if x != 0.0), len(samples))
    window = 2 * 960
    loudest = max((rms(samples[i:i + window]) for i in range(first, len(samples), window)),
                  default=0.0)
    print("window: %d frames, the first sound at frame %d, loudest 20 ms at RMS %.4f" %
          (len(samples) // 2, first // 2, loudest))
    check(first >= 2 * 4800, "sound before any key was pressed (frame %d)" % (first // 2))
    check(loudest > 0.01, "no sound after the presses (loudest RMS %.4f)" % loudest)
    check(exact_note(options, runner, workdir, samples[first::2][:4800]),
          "the first note differs from the render tool's")


def exact_note(options, runner, workdir, heard):
    """Whether the first 100 ms of the note the window played, from its first
    sound, are to the bit what the render tool gives for key 36 of program 13
    at 48 kHz through the plug-in of this build (Wine mixes in float at the
    player's rate and passes the samples on unchanged). The file begins where
    Wine began, not where the player did, so the phase of the instrument's
    33 kHz against 48 kHz at the note, one of 16, is found by rendering the
    note at each; the player's remembered settings in the build tree's
    prefix are the instrument's defaults, as only these tests run it there."""
    midi = os.path.join(workdir, "note.mid")
    wav = os.path.join(workdir, "note.wav")
    for phase in range(16):
        # 480 ticks a quarter at 10 ms a quarter: a tick is a frame at 48 kHz.
        write(midi, smf([[(0, [0xFF, 0x51, 0x03, 0x00, 0x27, 0x10]),
                          (1000 + phase, [0x90, 36, 100]), (6000, [0x80, 36, 0])]], division=480))
        subprocess.run(runner + [options.render, "--plugin", options.plugin, "--midi", midi,
                                 "--out", wav, "--rate", "48000", "--block", "1", "--tail", "0",
                                 "--program", "13", "-q"],
                       stdin=subprocess.DEVNULL, check=True, timeout=60)
        left = [frame[0] for frame in read_wav(wav)[4]]
        start = next((i for i, x in enumerate(left) if x != 0.0), len(left))
        if left[start:start + len(heard)] == list(heard):
            print("the first note is the render tool's, to the bit, at phase %d" % phase)
            return True
    return False

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--player", required=True)
    parser.add_argument("--client")
    parser.add_argument("--probe")
    parser.add_argument("--hook")
    parser.add_argument("--render")
    parser.add_argument("--plugin")
    parser.add_argument("--runner", default="")
    parser.add_argument("group", choices=["jack", "rate", "window", "noaudio", "wine"])
    options = parser.parse_args()
    if options.group in ("jack", "window") and not shutil.which("jackd"):
        print("skipped: jackd is not installed")
        return SKIPPED
    if options.group == "rate" and not (shutil.which("jackdbus") and shutil.which("dbus-daemon")
                                        and shutil.which("dbus-send")):
        print("skipped: jackdbus or dbus-daemon is not installed")
        return SKIPPED
    with tempfile.TemporaryDirectory() as workdir:
        groups = {"jack": group_jack, "rate": group_rate, "window": group_window,
                  "noaudio": group_noaudio, "wine": group_wine}
        groups[options.group](options, workdir)
        log = os.path.join(workdir, "jackd.log")
        if failures and os.path.exists(log):
            print("jackd's log:\n" + open(log).read())
    print("%s: %s" % (options.group, "failed" if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
