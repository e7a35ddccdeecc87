// The event lists between a CLAP host and its plug-in: the input list the
// host fills for the next call (each event copied into a slot of its own,
// kept sorted by time, equal times in the order queued) and the output list
// that copies what the plug-in pushes. Both hold a fixed number of slots
// reserved up front, so filling and handing them over allocates nothing.
#pragma once

#include "clap_abi.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Room for every core event (the largest, the transport, takes 104 bytes).
constexpr std::size_t kClapEventSlotBytes = 128;

struct alignas(8) ClapEventSlot {
    unsigned char bytes[kClapEventSlotBytes];
};

struct ClapInputList {
    clap_input_events list{}; // ctx points back here
    std::vector<ClapEventSlot> slots;
    std::size_t count = 0;
};

struct ClapOutputList {
    clap_output_events list{}; // ctx points back here
    std::vector<ClapEventSlot> slots;
    std::size_t count = 0;
    long refused = 0; // pushes not taken: malformed, too large, or no room left
};

// (Re)sizes the list for `capacity` events and empties it; the list must not
// move afterwards while the plug-in may hold it.
void initClapInputList(ClapInputList& list, std::size_t capacity);
void initClapOutputList(ClapOutputList& list, std::size_t capacity);

// Copies the event in after the last one of the same or an earlier time.
// False when it is malformed (size below a header or beyond a slot) or the
// list is full.
bool pushClapEvent(ClapInputList& list, const clap_event_header& event);

const clap_event_header* clapEventAt(const ClapInputList& list, std::size_t index);
const clap_event_header* clapEventAt(const ClapOutputList& list, std::size_t index);

void clearClapEvents(ClapInputList& list);
void clearClapEvents(ClapOutputList& list);
