// The renderer's exit codes, one per class of failure, as --help lists them.
#pragma once

enum ExitCode : int {
    kExitSuccess = 0,
    kExitInternal = 1, // out of memory or another unexpected failure
    kExitUsage = 2,    // bad command line, or a program/parameter/plug-in id the library lacks
    kExitPlugin = 3,   // the library cannot be loaded or holds no usable VST 2.4 or CLAP plug-in
    kExitMidi = 4,     // the MIDI file cannot be read, is malformed or too long
    kExitOutput = 5,   // the WAV file cannot be written
};
