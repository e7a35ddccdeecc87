#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: a few host sessions spelled in the
fuzzer's input language (see plugin_fuzzer.cpp), so that fuzzing starts from
notes that sound, program and rate changes, and renders of every size.

  make_corpus.py DIRECTORY
"""
import os
import sys

DISPATCH, EVENTS, PARAM, RATE, PROCESS, REPLACE = 0, 2, 3, 4, 5, 6


def note_on(key):  # one MIDI event: kind 3 (plain), delta byte, status, key, velocity, 0
    return [3, 0, 0, 0x90, key, 100, 0]


SESSIONS = {
    "notes": [EVENTS, 2, 0] + note_on(60) + note_on(64) + [REPLACE, 100, 0] * 4,
    "program-change": [DISPATCH, 2, 5, 0, 0, 0, 0,  # effSetProgram, then a MIDI program change
                       EVENTS, 1, 0, 3, 0, 0, 0xC0, 7, 0, 0,
                       REPLACE, 200, 0],
    "rates": [RATE, 0, 1, REPLACE, 63, 0, RATE, 11, 1, REPLACE, 249, 0, RATE, 3, 1, REPLACE, 10, 0],
    "parameters": [PARAM, 1, 3, 5, PARAM, 1, 4, 10, PARAM, 1, 2, 11] + [REPLACE, 90, 0],
    "strings": [DISPATCH, 7, 3, 0, 0, 1, 0, DISPATCH, 8, 4, 0, 0, 1, 0, DISPATCH, 29, 2, 0, 0, 1, 0,
                DISPATCH, 51, 0, 0, 0, 2, 0, 20],
    "sysex": [EVENTS, 3, 0, 1, 0, 0, 0xF0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 2, 0, 0, 1, 2, 3, 9, 9,
              PROCESS, 70, 0],
}


def main():
    os.makedirs(sys.argv[1], exist_ok=True)
    for name, session in SESSIONS.items():
        with open(os.path.join(sys.argv[1], name), "wb") as f:
            f.write(bytes(b & 0xFF for b in session))


if __name__ == "__main__":
    main()
