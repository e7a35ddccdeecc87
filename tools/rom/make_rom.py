#!/usr/bin/env python3
"""Generator of the T-815 ROM image (core/rom/t815.rom).

The image is 18,432 bytes: nine 2048-byte chips, one after the other.

  chip 0, 1  pitch table, low and high bytes: phase increments of a 20-bit
             phase per 33 kHz tick, 192 entries per octave, entry 2047 = 65534
  chip 2, 3  waves 0..3, low bytes and high bytes (0..7) of 11-bit sample codes
  chip 4     bytes 0..1023 unused (zero); bytes 1024..2047: 32 voice entries
             of 32 bytes, entry k holding program number 10 * (k div 8) + k mod 8
  chip 5, 6  waves 4..7, low and high bytes
  chip 7     level table for codes with bit 10 clear (255 - chip 8)
  chip 8     level table for codes with bit 10 set: 0 below index 1024, then
             an exponential doubling every 128 indices up to 252

A sample code is sign and logarithm: bit 10 set means the positive half of the
wave, clear the negative half; bits 0..9 are a magnitude m in 1/128-octave
steps that the tone generator adds to 4 x amplitude byte to index a level
table.  The factory heads of the waves (their first six codes, kept verbatim
below) read as truncated logarithms with full scale at 1023:
m = floor(1023 + 128 * log2|x|) for a linear value |x| <= 1.  Each wave is
designed as a continuous, band-limited single cycle whose quantised opening
reproduces its head, so head and continuation join without a step.

Everything is computed from the constants in this file with the standard
library only, so the output is the same byte for byte on every run.

  python3 tools/rom/make_rom.py core/rom/t815.rom     write the image
  python3 tools/rom/make_rom.py --check FILE          compare FILE with a fresh
                                                      image (exit 1 on a difference)
"""

import argparse
import math
import sys

CHIP_BYTES = 2048
CHIP_COUNT = 9
IMAGE_BYTES = CHIP_BYTES * CHIP_COUNT

CHIP_PITCH_LOW, CHIP_PITCH_HIGH = 0, 1
CHIP_WAVES03_LOW, CHIP_WAVES03_HIGH = 2, 3
CHIP_VOICES = 4
CHIP_WAVES47_LOW, CHIP_WAVES47_HIGH = 5, 6
CHIP_LEVEL_LOW, CHIP_LEVEL_HIGH = 7, 8

# --------------------------------------------------------------------------
# Pitch table
# --------------------------------------------------------------------------

PITCH_ENTRIES = 2048
PITCH_STEPS_PER_OCTAVE = 192
PITCH_TOP = 65534  # entry 2047, the top of the exponential curve
PITCH_CURVE_FIRST = 16

# Entries 0..15 lie off the curve: 0 keeps an oscillator silent, the others
# are special increments of the original table.
PITCH_HEAD = (0, 1, 328, 518, 1081, 1222, 2154, 2193,
              4201, 4246, 8221, 8401, 16443, 17420, 32885, 36913)

# The original curve was not rounded perfectly: 35 entries sit one below the
# nearest integer and 7 one above.  We model the cause as a small relative
# error in the computation that made it (in the manner of a mantissa of about
# 20 bits that mostly errs low): the entries that flip are those whose exact
# value lies relatively closest to a half, on the side the error pushes them.
# So the 35 entries with the smallest (fraction - 1/2) / value, fraction > 1/2,
# are rounded down, and the 7 with the smallest (1/2 - fraction) / value,
# fraction < 1/2, are rounded up.  Small entries need a large relative error to
# flip, so the low end of the table (entry 16 = 43, entry 192 = 81) stays exact;
# entry 1856 (32885.507) is the sixth closest and comes out as 32885.  The one
# exact half, entry 1663 = 65534 / 4 = 16383.5, is left rounded up (16384), as
# both round-half-up and round-half-even have it.
PITCH_ROUNDED_DOWN = 35
PITCH_ROUNDED_UP = 7


def pitch_curve(i):
    return PITCH_TOP * 2.0 ** ((i - (PITCH_ENTRIES - 1)) / PITCH_STEPS_PER_OCTAVE)


def pitch_table():
    exact = {i: pitch_curve(i) for i in range(PITCH_CURVE_FIRST, PITCH_ENTRIES)}
    table = list(PITCH_HEAD) + [0] * (PITCH_ENTRIES - len(PITCH_HEAD))
    for i, v in exact.items():
        table[i] = math.floor(v + 0.5)
    low_side = sorted((((v % 1.0) - 0.5) / v, i) for i, v in exact.items() if v % 1.0 > 0.5)
    high_side = sorted(((0.5 - (v % 1.0)) / v, i) for i, v in exact.items() if v % 1.0 < 0.5)
    for _, i in low_side[:PITCH_ROUNDED_DOWN]:
        table[i] -= 1
    for _, i in high_side[:PITCH_ROUNDED_UP]:
        table[i] += 1
    return table


# --------------------------------------------------------------------------
# Level tables
# --------------------------------------------------------------------------

LEVEL_ENTRIES = 2048
LEVEL_ZERO_BELOW = 1024  # indices below: no level
LEVEL_STEPS_PER_OCTAVE = 128
LEVEL_FIRST, LEVEL_LAST = 1, 252  # at index 1024 and 2047


def level_table_high():
    # An exponential doubling every 128 indices, moved and scaled so that it
    # starts at exactly 1 and ends at exactly 252; rounding it lands on 2, 4,
    # 8, 16 and 32 at the octave points and on 63 and 127 just below 64, 128.
    span = LEVEL_ENTRIES - 1 - LEVEL_ZERO_BELOW
    top = 2.0 ** (span / LEVEL_STEPS_PER_OCTAVE) - 1.0
    table = [0] * LEVEL_ZERO_BELOW
    for k in range(LEVEL_ZERO_BELOW, LEVEL_ENTRIES):
        rise = 2.0 ** ((k - LEVEL_ZERO_BELOW) / LEVEL_STEPS_PER_OCTAVE) - 1.0
        table.append(math.floor(LEVEL_FIRST + (LEVEL_LAST - LEVEL_FIRST) * rise / top + 0.5))
    return table


def level_table_low():
    return [255 - v for v in level_table_high()]


# --------------------------------------------------------------------------
# Waves
# --------------------------------------------------------------------------

WAVE_COUNT = 8
WAVE_LENGTH = 512
CODE_POSITIVE = 0x400
MAGNITUDE_FULL = 1023
MAGNITUDE_STEPS_PER_OCTAVE = 128
RADIANS_PER_SAMPLE = 2.0 * math.pi / WAVE_LENGTH

# The first six codes of each factory wave.
WAVE_HEADS = (
    (0, 1235, 1363, 1437, 1490, 1532),
    (0, 1609, 1736, 1809, 1861, 1899),
    (661, 620, 567, 491, 360, 256),
    (0, 1797, 1890, 1909, 1885, 1815),
    (0, 1852, 1968, 2022, 2045, 2044),
    (256, 1583, 1710, 1783, 1835, 1874),
    (1023, 1021, 1020, 1018, 1017, 1015),
    (0, 1566, 1693, 1767, 1819, 1858),
)

# Largest difference, as a fraction of full scale, allowed between a head code
# and the designed wave at the same sample.  Two of the heads store a sample
# next to a zero crossing as magnitude 256 (1/64 of full scale) where the
# design passes through zero; everywhere else the two agree to a few
# 1/128-octave steps.
HEAD_TOLERANCE = 0.02


def sample_code(x, trim):
    """Sign and truncated 1/128-octave logarithm of x (|x| <= 1 is full
    scale), raised by `trim` steps; values too small for magnitude 1 give 0."""
    if x == 0.0:
        return 0
    m = math.floor(MAGNITUDE_FULL + trim + MAGNITUDE_STEPS_PER_OCTAVE * math.log2(abs(x)))
    if m <= 0:
        return 0
    return min(m, MAGNITUDE_FULL) | (CODE_POSITIVE if x > 0 else 0)


def code_value(code):
    """Linear value of a code, at the middle of its truncation interval."""
    m = code & 0x3FF
    if m == 0:
        return 0.0
    v = 2.0 ** ((m + 0.5 - MAGNITUDE_FULL) / MAGNITUDE_STEPS_PER_OCTAVE)
    return v if code & CODE_POSITIVE else -v


def normalised(samples):
    peak = max(abs(v) for v in samples)
    return [v / peak for v in samples]


def rolloff(cutoff, steepness):
    """Harmonic weights exp(-(k / cutoff) ^ steepness): steepness 2 is a
    gentle Gaussian fall, large values approach a brick wall at `cutoff`."""
    def weight(k):
        return math.exp(-((k / cutoff) ** steepness))
    return weight


def harmonic_limit(weight):
    k = 1
    while k < WAVE_LENGTH // 2 - 1 and weight(k + 1) > 1e-9:
        k += 1
    return k


def band_limited_steps(steps, weight):
    """Sum of band-limited unit steps: each (position, height) adds a rising
    step of that height at that sample position (a sawtooth's jump, whose
    harmonics 1/k are shaped by `weight`); heights summing to zero give a
    wave made only of edges and straight levels."""
    harmonics = [(k, weight(k) / k) for k in range(1, harmonic_limit(weight) + 1)]
    out = []
    for n in range(WAVE_LENGTH):
        s = 0.0
        for position, height in steps:
            u = RADIANS_PER_SAMPLE * (n - position)
            s += height * sum(a * math.sin(k * u) for k, a in harmonics)
        out.append(s)
    return out


def sine_sum(partials):
    """Sum of sine partials (harmonic, amplitude), all starting at phase 0."""
    return [sum(a * math.sin(k * RADIANS_PER_SAMPLE * n) for k, a in partials)
            for n in range(WAVE_LENGTH)]


def soft_limit(y, knee=6):
    """Odd saturation, nearly linear below about half scale and rounding the
    top off smoothly (higher knee: sharper)."""
    return y / (1.0 + abs(y) ** knee) ** (1.0 / knee)


# Hammond-style drawbars, 0..8, each step 3 dB: footage -> harmonic number.
DRAWBAR_HARMONICS = {"8'": 1, "4'": 2, "2 2/3'": 3, "2'": 4, "1 3/5'": 5, "1 1/3'": 6, "1'": 8}
ORGAN_REGISTRATION = {"8'": 8, "4'": 8, "2 2/3'": 6, "2'": 6, "1 3/5'": 0, "1 1/3'": 4, "1'": 8}


def drawbar_amplitude(setting):
    return 2.0 ** (-(8 - setting) / 2.0)


def wave_sine():
    # Pure sine: the piano programs get their colour from two detuned
    # oscillators and their envelopes.
    return [math.sin(RADIANS_PER_SAMPLE * n) for n in range(WAVE_LENGTH)]


def wave_reed_saw():
    # Sawtooth of 13 harmonics and a weak 14th (nearly a brick wall at 14):
    # bright and reedy, rising from zero at the jump.
    return band_limited_steps([(0.0, 1.0)], rolloff(13.9335, 40.0))


def wave_mellow_saw():
    # Sawtooth under a Gaussian roll-off around the 3rd harmonic, its jump
    # centred at sample 4.968: a round brass and flute tone.
    return band_limited_steps([(4.9684, 1.0)], rolloff(3.4131, 2.0))


def wave_resonant_clav():
    # Three-harmonic ramp body with a damped resonance near the 43rd harmonic
    # struck at the start of every cycle: a percussive, nasal "clav" buzz.
    # The resonance has died away (e^-35) long before the cycle wraps.
    body = sine_sum([(1, 1.0), (2, 1.0 / 2.0), (3, 1.0 / 3.0)])
    return [v + 0.71349 * math.exp(-n / 14.3602) * math.sin(0.53374 * n)
            for n, v in enumerate(body)]


def wave_pulse_third():
    # Pulse of one third duty (no 3rd, 6th, ... harmonics): hollow and
    # bright.  Steep edges, with harmonics fading out around the 70th, as
    # the head's four-sample rise demands; the edge sits 0.69 samples late
    # so that the low-to-high edge crosses zero at sample 0.
    edge = 0.6913
    return band_limited_steps([(edge, 1.0), (edge + WAVE_LENGTH / 3.0, -1.0)],
                              rolloff(70.24, 3.311))


def wave_round_square():
    # Square of about ten harmonics (Gaussian roll-off), softly limited so
    # that its flat tops round off: a woody, clarinet-like odd-harmonic tone.
    square = normalised(band_limited_steps([(0.0, 1.0), (WAVE_LENGTH / 2.0, -1.0)],
                                           rolloff(10.459, 2.0)))
    return [soft_limit(0.99383 * v) for v in square]


def wave_triangle():
    # Triangle from its negative peak at sample 0 to the positive one at 256;
    # the head follows the sharp corners exactly, whose harmonics fall as 1/k^2.
    half = WAVE_LENGTH // 2
    return [1.0 - abs(n - half) / (half / 2.0) for n in range(WAVE_LENGTH)]


def wave_drawbar_organ():
    # Drawbars 8' 4' 2 2/3' 2' 1 3/5' 1 1/3' 1' at 8 8 6 6 0 4 8: a full
    # tonewheel-organ registration, every partial a sine starting at zero.
    return sine_sum([(DRAWBAR_HARMONICS[f], drawbar_amplitude(s))
                     for f, s in ORGAN_REGISTRATION.items() if s > 0])


# Design and level trim (1/128-octave steps added before truncation) of each
# wave; the trims are the ones at which the quantised design meets its head.
WAVE_DESIGNS = (
    (wave_sine, 0.65),
    (wave_reed_saw, 0.538),
    (wave_mellow_saw, 0.54),
    (wave_resonant_clav, 0.5),
    (wave_pulse_third, 0.5),
    (wave_round_square, 0.37),
    (wave_triangle, 0.2),
    (wave_drawbar_organ, 0.86),
)


def wave_codes(number):
    design, trim = WAVE_DESIGNS[number]
    codes = [sample_code(x, trim) for x in normalised(design())]
    head = WAVE_HEADS[number]
    for n, listed in enumerate(head):
        gap = abs(code_value(codes[n]) - code_value(listed))
        if gap > HEAD_TOLERANCE:
            raise SystemExit(f"wave {number}: design misses head sample {n} "
                             f"(code {codes[n]}, head {listed}, gap {gap:.4f})")
    return list(head) + codes[len(head):]


# --------------------------------------------------------------------------
# Voice programs
# --------------------------------------------------------------------------

PROGRAM_BYTES = 23
VOICE_ENTRIES = 32
VOICE_ENTRY_BYTES = 32
VOICE_ENTRIES_OFFSET = 1024

# Program byte stored at each voice entry byte (None: a byte the core does
# not read, written as zero).
ENTRY_BYTE_MAP = (0, 1, 2, None, 3, 4, 5, 19, 6, 7, 8, 9, None, None, 20, 10,
                  11, 12, 13, None, 14, 15, 16, None, 17, None, None, 18, None, None, 21, 22)

# The 32 factory programs in entry order (program numbers 00..07, 10..17,
# 20..27, 30..37), bytes 0..22: filter envelope (0..9), tone flags (10:
# wave in bits 0..2), amplitude envelope (11..18), oscillator B octave and
# fine (19, 20), oscillator A octave and fine (21, 22).
PROGRAMS = (
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  16,   0,  48, 255,   0,   4, 240,  64,   8,   6,   7,   6,   8),  # 00 El. Piano
    (  0,  64, 160,   0,  64,  64,   0,   0,   0,   8,   0,   0,  48, 255,   0,   4, 240,  64,   8,   6,   7,   4,   8),  # 01 Jazz Piano
    (  0,  64,  96,   0,   0,   0,   0,   2,   0,   0,  99,   0, 255, 255,   0,   1,   3,  64,   8,   6,   6,   6,   9),  # 02 F. Piano
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  16,   0,  48, 255,   0,   4, 240,  64,   8,   6,   7,   5,   8),  # 03 Piano
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  25,   0,  24, 255,   0,   0, 255,   0,   8,   6,   6,   6,   9),  # 04 Harmonika
    (  0,   8,  80,   0,   8,  64,   0,   0,   0,   3,  12,   0,  24, 255, 176,   0, 255,   0,  16,   5,   9,   5,   7),  # 05 Accordion
    (  0,  16,  64,   0,   0,  48,   0,   0,   0,   8,   6,   0,  48, 255,  64,   0, 255,   0,   8,   5,   7,   5,   8),  # 06 Organ
    (  0,  24, 128,   0,   0,   0,   0,   0,   0,   1,   7,   0,  24, 255,   0,   0, 255,   0,   8,   6,   7,   4,   8),  # 07 Pipe Organ
    (  0,  64, 160,   0,  32,  80,   0,   0,   0,   8,   4,   0,  64, 255,  64,   0, 209,   0,   8,   5,   7,   5,   8),  # 10 Jazz Organ
    (  0,  48, 176,  80,   0,  36,   0,   0,  64,   0,  33,   0,  64, 255,   0,   4, 225,   0,   4,   6,   9,   6,   8),  # 11 F. Organ
    (  0, 255,  96,   0, 255,  96,   0,   0,   8,   0,   7,   0, 144, 255,  64,   0, 209,   0,   8,   6,   7,   6,   8),  # 12 Hammond 1
    (  0,  64, 160,   0,   8,  80,  16,   0,   0,   8,   7,   0, 144, 255,  64,   0, 255,   0,   8,   6,   7,   4,   8),  # 13 Hammond 2
    (255,   4, 240, 128,   0,  32,   0,   0,   0,   0, 102,   0,  48, 255,  64,   0, 209,   0,   8,   5,   7,   4,   8),  # 14 Synth Organ
    (  0,   4,   0,   0,   0,  32,   0,   0,   0,   8,  34,   0,  24, 255,   0,   1, 225,   0,   8,   5,   7,   5,   8),  # 15 Brass Organ
    (  0,   4,  96,   0,   0,  32,   0,   0,   0,   8, 162,   0,  24, 255,   0,   1, 225,   0,   8,   6,   7,   6,   8),  # 16 Brass
    (  0,   4,  80, 176,   0,   8,   0,   0,   0,   8, 130,   0,  16, 255, 128,   0, 225,   0,   8,   5,   7,   5,   8),  # 17 French Horn
    (  0,  64, 255,   0,   8, 112,   0,   0,   0,   8, 130,   0,  40, 255,   0,   0, 255,   0,  16,   6,   7,   6,   8),  # 20 Flute
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0, 144,   0,  16, 255,   0,   0, 255,   0,   8,   6,   7,   6,   8),  # 21 Piccolo
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0, 141,   0,  24, 255,   0,   4, 225,   0,   8,   6,   7,   6,   9),  # 22 Clarinet
    (  0,  64, 128,   0,   0, 128,   0,   0,   0,   8, 129,   0,  20, 255,   0,   0, 255,   0,   8,   5,   7,   5,   8),  # 23 Oboe
    (  0,   4, 240, 128,   0,  32,   0,   0,   0,   8, 100,   0,  24, 255,   0,   0, 208,   0,   8,   5,   9,   5,   8),  # 24 Cosmic
    (  0,  64, 255,   0,   5,  80,  64,   0,   0,   6,   4,   0,  16, 255, 128,   0, 225,   0,   4,   6,   9,   4,   6),  # 25 Fantastic
    (  0,  64, 176,   0,   5,  32,   0,   2,   0,   1,   1,   0,  64, 255,   0,   4, 232,  64,   8,   6,   7,   6,   9),  # 26 Slap Synth
    (  0,  64, 160,   0,  32,  80,  16,   0,   0,   8,   5,   0,  64, 255,   0,   4, 225,   0,  16,   6,   9,   5,   8),  # 27 Blues Synth
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  28,   0,  64, 255,   0,   4, 240,  64,   8,   5,   7,   4,   8),  # 30 Harpsichord
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  27,   0,  64, 255,   0,   4, 224,  64,  16,   5,   8,   4,   8),  # 31 Clavinet
    (  0,  64, 255,   0,   8,  80,  64,   0,   0,   2,   4,   0,  64, 255,   0,   4, 224,  64,   4,   6,   9,   4,   8),  # 32 Harpsi
    (  0,  64,  96,   0,   5,  32,   0,   2,   0,   1,   1,   0,  64, 255,   0,   4, 224,  64,   8,   4,   7,   4,   9),  # 33 El. Bass
    (  0,  64,  64,   0,   5,  64,   0,   0, 128,   0, 130,   0,  48, 255,   0,   4, 240,  64,   8,   4,   7,   4,   8),  # 34 Jazz Bass
    (  0,  64, 160,   0,  32,  80,  16,   1,   0,   6,   4,   0,  64, 255,   0,   4, 240,  64,   6,   4,   7,   4,   9),  # 35 Bass
    (  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  29,   0,  64, 255,   0,   4,   0,   0,   8,   6,   7,   6,   9),  # 36 Music Box
    (  0,  48, 176,  64,   0,   0,   0,   0,   0,   1,  67,   0,  64, 255,   0,   4, 240,  32,  16,   5,   7,   5,   8),  # 37 Synth Bass
)


def voice_chip():
    chip = bytearray(CHIP_BYTES)
    for k, program in enumerate(PROGRAMS):
        base = VOICE_ENTRIES_OFFSET + VOICE_ENTRY_BYTES * k
        for entry_byte, program_byte in enumerate(ENTRY_BYTE_MAP):
            if program_byte is not None:
                chip[base + entry_byte] = program[program_byte]
    return chip


# --------------------------------------------------------------------------
# Image
# --------------------------------------------------------------------------


def split_words(words):
    return bytes(w & 0xFF for w in words), bytes(w >> 8 for w in words)


def build_image():
    pitch = pitch_table()
    waves = [wave_codes(w) for w in range(WAVE_COUNT)]
    pitch_low, pitch_high = split_words(pitch)
    waves03_low, waves03_high = split_words(sum(waves[0:4], []))
    waves47_low, waves47_high = split_words(sum(waves[4:8], []))
    chips = {
        CHIP_PITCH_LOW: pitch_low,
        CHIP_PITCH_HIGH: pitch_high,
        CHIP_WAVES03_LOW: waves03_low,
        CHIP_WAVES03_HIGH: waves03_high,
        CHIP_VOICES: bytes(voice_chip()),
        CHIP_WAVES47_LOW: waves47_low,
        CHIP_WAVES47_HIGH: waves47_high,
        CHIP_LEVEL_LOW: bytes(level_table_low()),
        CHIP_LEVEL_HIGH: bytes(level_table_high()),
    }
    image = b"".join(chips[c] for c in range(CHIP_COUNT))
    assert all(len(chips[c]) == CHIP_BYTES for c in range(CHIP_COUNT))
    assert len(image) == IMAGE_BYTES
    return image


def main(argv):
    parser = argparse.ArgumentParser(description="Build the T-815 ROM image.")
    parser.add_argument("output", nargs="?", help="file to write the image to")
    parser.add_argument("--check", metavar="FILE",
                        help="compare FILE with a freshly built image instead of writing")
    args = parser.parse_args(argv)
    if (args.output is None) == (args.check is None):
        parser.error("give either an output file or --check FILE")
    image = build_image()
    if args.check:
        try:
            with open(args.check, "rb") as f:
                existing = f.read()
        except OSError as e:
            print(f"{args.check}: cannot read: {e}", file=sys.stderr)
            return 1
        if existing == image:
            print(f"{args.check}: matches the generated image ({IMAGE_BYTES} bytes)")
            return 0
        if len(existing) != IMAGE_BYTES:
            print(f"{args.check}: {len(existing)} bytes, the generated image has {IMAGE_BYTES}",
                  file=sys.stderr)
            return 1
        diffs = [i for i in range(IMAGE_BYTES) if existing[i] != image[i]]
        first = diffs[0]
        print(f"{args.check}: differs from the generated image in {len(diffs)} bytes; first at "
              f"offset {first} (chip {first // CHIP_BYTES}, byte {first % CHIP_BYTES}): "
              f"file {existing[first]}, generated {image[first]}", file=sys.stderr)
        return 1
    with open(args.output, "wb") as f:
        f.write(image)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
