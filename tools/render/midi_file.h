// Reader for Standard MIDI Files, formats 0 and 1: the tracks are merged in
// time order and the ticks turned into seconds through the file's tempo map
// (or its SMPTE frame rate). Only channel messages are kept; meta events other
// than tempo and end of track, and system exclusive messages, are skipped.
// Every malformation is reported as text, never by crashing or looping.
#pragma once

#include "midi_sequence.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Files above this size are refused before they are read.
constexpr std::size_t kMaxMidiFileBytes = 16u << 20;

// Parses a whole file held in memory. On failure `error` holds a message
// starting with "malformed MIDI file: " or "unsupported MIDI file: ".
bool parseMidiFile(const std::uint8_t* data, std::size_t size, MidiSequence& sequence,
                   std::string& error);

// Reads the file at a UTF-8 path and parses it. On failure `error` says why,
// naming the path.
bool readMidiFile(const std::string& path, MidiSequence& sequence, std::string& error);
