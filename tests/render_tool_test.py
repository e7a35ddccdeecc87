#!/usr/bin/env python3
"""Runs the t815-render executable as a user would and checks its exit codes,
messages and WAV output.

  render_tool_test.py --tool EXE [--runner 'wine-run.sh|prefix|arch'] \
      [--probe PROBE_LIBRARY] [--clap-probe CLAP_PROBE] [--amsynth PLUGIN] GROUP

GROUP is one of:
  errors   command-line, plug-in and MIDI failures (no plug-in needed)
  probe    renders through the probe plug-in: timing, settings, PCM, output errors
  amsynth  renders through a real third-party instrument
  panel    saves a picture of the T-815 plug-in's editor (--plugin-under-test)
  clap     renders through the CLAP probe: identity, event placement, parameters,
           plug-in ids, and its gui's picture (Linux: run it under Xvfb)
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)


SKIPPED = 77  # CTest's skip code; also what the Wine runner answers where it cannot run


class Tool:
    def __init__(self, runner, exe, workdir):
        self.command = runner + [exe]
        self.workdir = workdir
        self.windows = exe.endswith(".exe")

    def run(self, args, mode=None, clap_mode=None, display=True):
        # A UTF-8 locale lets Wine pass non-ASCII arguments on unchanged.
        env = dict(os.environ, HOME=self.workdir, T815_PROBE_MODE=mode or "", LC_ALL="C.UTF-8",
                   T815_CLAP_PROBE=clap_mode or "")
        if not display:
            env.pop("DISPLAY", None)
        # Output goes to files: pipes can stall programs run under Wine.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.call(self.command + args, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err, env=env, cwd=self.workdir, timeout=300)
            out.seek(0)
            err.seek(0)
            return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")

    def expect(self, args, code, message, stream="err", mode=None, clap_mode=None, display=True):
        got, out, err = self.run(args, mode, clap_mode, display)
        text = err if stream == "err" else out
        check(got == code, "%s: exit code %d, expected %d (%s)" % (" ".join(args), got, code, err.strip()))
        check(message in text, "%s: %r not in %r" % (" ".join(args), message, text))
        return out, err


def vlq(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(groups)


def smf(tracks, division=96, fmt=None):
    """A Standard MIDI File; each track is a list of (delta ticks, event bytes)."""
    fmt = (0 if len(tracks) == 1 else 1) if fmt is None else fmt
    data = b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), division)
    for events in tracks:
        body = b"".join(vlq(delta) + bytes(event) for delta, event in events) + b"\x00\xff\x2f\x00"
        data += b"MTrk" + struct.pack(">I", len(body)) + body
    return data


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def read_wav(path):
    """(format tag, channels, rate, bits, frames as [(left, right)])."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[0:4] == b"RIFF" and data[8:12] == b"WAVE", "not a WAV file"
    assert struct.unpack("<I", data[4:8])[0] == len(data) - 8, "RIFF size"
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif tag == b"data":
            assert len(body) == size, "data chunk size"
            code = "<%d%s" % (size // (fmt[5] // 8), "f" if fmt[0] == 3 else "h")
            samples = struct.unpack(code, body)
        pos += 8 + size + (size & 1)
    frames = list(zip(samples[0::2], samples[1::2]))
    return fmt[0], fmt[1], fmt[2], fmt[5], frames


def group_errors(tool, work, system_library):
    tool.expect([], 2, "--plugin PATH is required")
    tool.expect(["--help"], 0, "Exit codes", stream="out")
    tool.expect(["--plugin", "p", "--rate", "nan"], 2, "--rate must be")
    tool.expect(["--plugin", "p", "--tail", "-1"], 2, "--tail must be")
    tool.expect(["--plugin", "p", "--block", "0"], 2, "--block must be")
    tool.expect(["--plugin", "p", "--frobnicate"], 2, "unknown option")

    missing = os.path.join(work, "missing-plugin.so")
    tool.expect(["--plugin", missing, "--info"], 3, "cannot load plug-in library '%s'" % missing)
    text = write(os.path.join(work, "plain.txt"), b"this is not a library\n")
    tool.expect(["--plugin", text, "--info"], 3, "cannot load plug-in library")
    tool.expect(["--plugin", system_library, "--info"], 3, "is not a VST 2.4 plug-in")

    good_track = [(0, [0x90, 60, 100]), (96, [0x80, 60, 0])]
    good = smf([good_track])
    malformed = {
        "truncated": good[:-6],
        "bad-chunk-length": good[:18] + b"\x7f\xff\xff\xff" + good[22:],
        "bad-header": b"MThx" + good[4:],
        "absurd-tracks": good[:8] + b"\x00\x01\xff\xff" + good[12:],
        "no-running-status": smf([[(0, [60, 100])]]),
        "long-quantity": good[:22] + b"\x81\x81\x81\x81\x00\x90\x3c\x64\x00\xff\x2f\x00",
    }
    for name, data in sorted(malformed.items()):
        path = write(os.path.join(work, name + ".mid"), data)
        tool.expect(["--plugin", missing, "--midi", path], 4, "malformed MIDI file: ")
    tool.expect(["--plugin", missing, "--midi", os.path.join(work, "absent.mid")], 4, "cannot open MIDI file")
    long_piece = write(os.path.join(work, "long.mid"), smf([[(0x0FFFFFFF, [0x90, 60, 1])]], division=1))
    tool.expect(["--plugin", missing, "--midi", long_piece], 4, "a render may")


def group_probe(tool, work, probe):
    # The probe declares no editor: no panel picture, and no file.
    picture = os.path.join(work, "probe-panel.png")
    tool.expect(["--plugin", probe, "--panel", picture], 3, "the plug-in has no editor")
    check(not os.path.exists(picture), "--panel left a file behind for a plug-in without an editor")
    # At 8000 Hz and 120 bpm with 800 ticks per quarter, one tick is 5 frames.
    song = write(os.path.join(work, "probe.mid"), smf([[(0, [0x90, 64, 100]), (30, [0x80, 64, 0]),
                                                         (0, [0xC0, 2]), (10, [0x90, 32, 9]),
                                                         (30, [0x80, 32, 0])]], division=800))
    out_path = os.path.join(work, "probe.wav")
    args = ["--plugin", probe, "--midi", song, "--out", out_path, "--rate", "8000", "--block", "64",
            "--tail", "0.1", "--program", "1", "--param", "0=0.5"]
    out, _ = tool.expect(args, 0, "wrote ", stream="out")
    check("display update" in out, "program change from MIDI reaches the host callback: " + out)
    fmt, channels, rate, bits, frames = read_wav(out_path)
    check((fmt, channels, rate, bits) == (3, 2, 8000, 32), "float header %r" % ((fmt, channels, rate, bits),))
    check(len(frames) == 350 + 800, "frames %d, expected 1150" % len(frames))
    expected_left = [0.5 if i < 150 else 0.0 if i < 200 else 0.25 if i < 350 else 0.0 for i in range(len(frames))]
    check([left for left, _ in frames] == expected_left, "note timing in the left channel")
    check(all(right != -1.0 for _, right in frames), "the probe saw the host calls in the expected order")
    check(frames[0][1] == 0.125 + 0.5 * 0.0625, "program and parameter set before rendering: %r" % frames[0][1])
    check(not os.path.exists(out_path + ".part"), "no temporary file left")

    tool.expect(args + ["--pcm16", "--quiet"], 0, "")
    fmt, channels, rate, bits, frames = read_wav(out_path)
    check((fmt, bits, len(frames)) == (1, 16, 1150), "PCM16 output")
    check(frames[0][0] == 16384, "PCM16 value of 0.5: %r" % frames[0][0])

    # Non-ASCII names reach the file system intact (UTF-16 on Windows).
    folder = os.path.join(work, "d\u00edr-\u0442\u0435\u0441\u0442")
    os.mkdir(folder)
    unicode_song = write(os.path.join(folder, "\u00df.mid"), open(song, "rb").read())
    tool.expect(["--plugin", probe, "--midi", unicode_song, "--quiet"], 0, "")
    check(os.path.exists(os.path.join(folder, "\u00df.wav")), "output beside a MIDI file with a non-ASCII name")

    bad_out = os.path.join(work, "no-such-dir", "x.wav")
    tool.expect(["--plugin", probe, "--midi", song, "--out", bad_out], 5, "cannot write output '%s'" % bad_out)
    tool.expect(["--plugin", probe, "--info"], 0, "'Prob'", stream="out")
    tool.expect(["--plugin", probe, "--midi", song, "--out", out_path, "--program", "5"], 2, "has 3 programs")
    tool.expect(["--plugin", probe, "--midi", song, "--out", out_path, "--param", "7=0.5"], 2, "has 2 parameters")
    tool.expect(["--plugin", probe, "--info"], 3, "not a VST 2.4 plug-in", mode="badmagic")
    tool.expect(["--plugin", probe, "--info"], 3, "returned no plug-in", mode="null")

    picture = os.path.join(work, "probe.png")
    tool.expect(["--plugin", probe, "--panel", picture], 3, "the plug-in has no editor")
    check(not os.path.exists(picture), "no picture without an editor")


def png_size(path):
    with open(path, "rb") as f:
        data = f.read(33)
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
    return width, height, depth, colour


def group_panel(tool, work, plugin):
    picture = os.path.join(work, "panel.png")
    tool.expect(["--plugin", plugin, "--panel", picture], 0, "920 x 430", stream="out")
    check(png_size(picture) == (920, 430, 8, 2), "an 8-bit RGB PNG of 920 x 430: %r" % (png_size(picture),))
    check(not os.path.exists(picture + ".partial"), "no partial file left")
    # At 2 and 3 the panel reaches past Wine's 1024 x 768 screen: it is whole,
    # in the exact colours of the shared check points at their scaled places.
    for quarters, size in ((8, (1840, 860)), (12, (2760, 1290))):
        scaled = os.path.join(work, "panel-%dq.png" % quarters)
        tool.expect(["--plugin", plugin, "--program", "13", "--panel", scaled, "--scale", str(quarters / 4)],
                    0, "%d x %d" % size, stream="out")
        check(png_size(scaled) == size + (8, 2), "an 8-bit RGB PNG of %d x %d: %r" % (size + (png_size(scaled),)))
        _, _, rows = png_rgb(scaled)
        for what, x, y, colour in panel_check_points():
            sx, sy = (x * quarters + 2) // 4, (y * quarters + 2) // 4
            got = tuple(rows[sy][3 * sx:3 * sx + 3])
            check(got == colour, "%s at %d/4, (%d, %d): %r, expected %r" % (what, quarters, sx, sy, got, colour))
    bad = os.path.join(work, "no-such-dir", "panel.png")
    tool.expect(["--plugin", plugin, "--panel", bad], 5, "cannot write '%s'" % bad)


def panel_check_points():
    """(what, x, y, (r, g, b)) of kPanelCheckPoints in panel_check_points.h, the
    points every reading of the panel with program index 13 selected shares."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "panel_check_points.h")) as f:
        text = f.read()
    block = text[text.index("kPanelCheckPoints[]"):]
    block = block[:block.index("};")]
    return [(what, int(x), int(y), (int(r), int(g), int(b))) for what, x, y, r, g, b in
            re.findall(r'\{"([^"]+)", (\d+), (\d+), (\d+), (\d+), (\d+)\}', block)]


def png_rgb(path):
    """(width, height, rows of RGB bytes) of an 8-bit RGB PNG file."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat = 8, b""
    while pos < len(data):
        length, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, rows, prev, at = zlib.decompress(idat), width * 3, [], bytearray(width * 3), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for x in range(stride):
            a, b, c = (line[x - 3] if x >= 3 else 0), prev[x], (prev[x - 3] if x >= 3 else 0)
            if kind == 4:
                p = a + b - c
                a = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c
            line[x] = (line[x] + [0, a, b, (a + b) // 2, a][kind]) & 255
        rows.append(line)
        prev = line
    return width, height, rows


def group_clap(tool, work, clap_probe, vst_probe, display):
    ids = ["--plugin-id", "t815.test.clap-probe"]
    out, _ = tool.expect(["--plugin", clap_probe, "--info"], 0, "format:      CLAP 1.2.10", stream="out")
    for expected in ["id:          t815.test.clap-probe", "features:    instrument synthesizer stereo",
                     "2 channels stereo main", "dialects clap midi, preferred clap", "latency:     16 samples",
                     "id 10     Level", "0 .. 1, default 0.5, value 0.500000 (50 %)", "stepped",
                     "clap.params clap.state clap.audio-ports clap.note-ports", "clap.thread-check"]:
        check(expected in out, "--info of the CLAP probe shows %r:\n%s" % (expected, out))

    # The probe song at 8000 Hz (one tick is 5 frames): key 64 over frames 0-150, key 32
    # over 200-350, a program change between; blocks of 64 frames.
    song = write(os.path.join(work, "clap.mid"), smf([[(0, [0x90, 64, 100]), (30, [0x80, 64, 0]),
                                                        (0, [0xC0, 2]), (10, [0x90, 32, 9]),
                                                        (30, [0x80, 32, 0])]], division=800))
    out_path = os.path.join(work, "clap.wav")
    base = ["--plugin", clap_probe, "--midi", song, "--out", out_path, "--rate", "8000", "--block", "64",
            "--tail", "0.1", "--param", "0=1", "--param", "1=0.5"]
    for accurate, edges in [(False, (0, 128, 192, 320)), (True, (0, 150, 200, 350))]:
        tool.expect(base + (["--sample-accurate"] if accurate else []), 0, "wrote ", stream="out")
        fmt, channels, rate, bits, frames = read_wav(out_path)
        check((fmt, channels, rate, len(frames)) == (3, 2, 8000, 1150), "CLAP render header and length")
        expected = [0.5 if edges[0] <= i < edges[1] else 0.25 if edges[2] <= i < edges[3] else 0.0
                    for i in range(len(frames))]
        check([left for left, _ in frames] == expected,
              "CLAP notes at %s" % ("their frames" if accurate else "their blocks' starts"))
        # Level 1 and Steps 2 (half of 0..4) from --param; never -1 (calls in order).
        check(all(right == 0.3125 for _, right in frames), "CLAP parameters set, calls in order")

    tool.expect(base + ["--program", "1"], 2, "--program 1: the plug-in has 0 programs")
    tool.expect(base + ["--param", "3=0.5"], 2, "--param 3: the plug-in has 3 parameters")
    tool.expect(["--plugin", clap_probe, "--info"], 2, "choose one by id", clap_mode="two-plugins")
    tool.expect(["--plugin", clap_probe, "--info"], 2, "(--plugin-id ID)", clap_mode="two-plugins")
    tool.expect(["--plugin", clap_probe, "--plugin-id", "no.such", "--info"], 2, "no CLAP plug-in of id 'no.such'")
    tool.expect(["--plugin", clap_probe, "--info"], 3, "the CLAP entry's init failed", clap_mode="entry-fails")
    tool.expect(["--plugin", vst_probe, "--plugin-id", "x", "--info"], 2, "has no plug-in ids")
    # The mono variant prefers MIDI: the same notes, its one channel on both sides.
    tool.expect(base + ["--plugin-id", "t815.test.clap-probe-mono"], 0, "wrote ", stream="out",
                clap_mode="two-plugins")
    _, channels, _, _, frames = read_wav(out_path)
    check([left for left, _ in frames] == [0.5 if i < 128 else 0.0 if i < 192 else 0.25 if i < 320 else 0.0
                                           for i in range(len(frames))], "mono variant's notes")
    check(all(left == right for left, right in frames), "mono output on both channels")

    # The gui: blue, a yellow square from the host's first timer call, grown to 200 x 120
    # on its request; on Linux painted only when the host watches the X connection.
    picture = os.path.join(work, "clap-panel.png")
    if display:
        tool.expect(["--plugin", clap_probe, "--panel", picture], 0, "200 x 120", stream="out")
        width, height, rows = png_rgb(picture)
        check((width, height) == (200, 120), "gui picture size %r" % ((width, height),))
        pixel = lambda x, y: tuple(rows[y][3 * x:3 * x + 3])
        check(pixel(5, 5) == (40, 90, 160) and pixel(190, 110) == (40, 90, 160),
              "blue panel: %r %r" % (pixel(5, 5), pixel(190, 110)))
        check(pixel(15, 15) == (250, 200, 0), "yellow square from the timer: %r" % (pixel(15, 15),))
    if not tool.windows:
        tool.expect(["--plugin", clap_probe, "--panel", picture], 2, "no X display", display=False)


def group_amsynth(tool, work, plugin):
    # A C major chord held for 0.75 s in a 1 s piece, then a 0.5 s tail.
    chord = [(0, [0x90, 60, 100]), (0, [0x90, 64, 100]), (0, [0x90, 67, 100]),
             (144, [0x80, 60, 0]), (0, [0x80, 64, 0]), (0, [0x80, 67, 0]), (48, [0xB0, 7, 100])]
    song = write(os.path.join(work, "chord.mid"), smf([chord]))
    out_path = os.path.join(work, "chord.wav")
    out, _ = tool.expect(["--plugin", plugin, "--midi", song, "--out", out_path, "--tail", "0.5"], 0,
                         "wrote ", stream="out")
    fmt, channels, rate, bits, frames = read_wav(out_path)
    check((fmt, channels, rate, bits) == (3, 2, 44100, 32), "amsynth float header")
    check(len(frames) == 66150, "amsynth frames %d, expected 66150" % len(frames))
    samples = [abs(s) for frame in frames for s in frame]
    peak = max(samples)
    check(all(s == s and s != float("inf") for s in samples), "amsynth output is finite")
    check(0.01 < peak < 4.0, "amsynth chord peak %f" % peak)
    held = max(abs(l) for l, _ in frames[1000:30000])
    check(held > 0.01, "sound while the chord is held (%f)" % held)
    print("amsynth chord: %d frames, peak %.6f" % (len(frames), peak))

    demo = os.path.join(work, "demo.wav")
    out, _ = tool.expect(["--plugin", plugin, "--out", demo], 0, "wrote ", stream="out")
    _, _, _, _, frames = read_wav(demo)
    check(len(frames) == 32 * 44100, "demo frames %d, expected %d" % (len(frames), 32 * 44100))
    peak = max(max(abs(l), abs(r)) for l, r in frames)
    check(peak > 0.01, "demo is not silent (%f)" % peak)
    print("amsynth demo: %d frames, peak %.6f" % (len(frames), peak))

    tool.expect(["--plugin", plugin, "--info"], 0, "amsynth", stream="out")
    bad_out = os.path.join(work, "missing", "dir", "out.wav")
    tool.expect(["--plugin", plugin, "--midi", song, "--out", bad_out], 5, "cannot write output '%s'" % bad_out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--runner", default="")
    parser.add_argument("--probe")
    parser.add_argument("--amsynth")
    parser.add_argument("--plugin-under-test")
    parser.add_argument("--clap-probe")
    parser.add_argument("group", choices=["errors", "probe", "amsynth", "panel", "clap"])
    options = parser.parse_args()
    runner = [part for part in options.runner.split("|") if part]

    with tempfile.TemporaryDirectory(prefix="t815-render-test-") as work:
        tool = Tool(runner, options.tool, work)
        if runner and tool.run(["--help"])[0] == SKIPPED:
            print("this machine cannot run the tool's target; skipped")
            return SKIPPED
        if options.group == "errors":
            under_wine = any("wine" in part for part in runner)
            libm_dirs = ["/lib/i386-linux-gnu", "/usr/lib/i386-linux-gnu"] if any(
                "i386" in part for part in runner) else ["/lib/x86_64-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/lib64"]
            system_library = "C:\\windows\\system32\\kernel32.dll" if under_wine else next(
                os.path.join(d, "libm.so.6") for d in libm_dirs if os.path.exists(os.path.join(d, "libm.so.6")))
            group_errors(tool, work, system_library)
        elif options.group == "probe":
            group_probe(tool, work, options.probe)
        elif options.group == "panel":
            group_panel(tool, work, options.plugin_under_test)
        elif options.group == "clap":
            display = tool.windows or bool(os.environ.get("DISPLAY"))
            group_clap(tool, work, options.clap_probe, options.probe, display)
        else:
            if not options.amsynth or not os.path.exists(options.amsynth):
                print("amsynth plug-in not installed; skipped")
                return SKIPPED
            group_amsynth(tool, work, options.amsynth)

    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
