// The storage an instance owns for the level sequences its envelope streams
// read: the current program's template, templates of earlier programs that
// keys held through a program change still replay, and releases. A sequence
// stays where it is while a reader's span starts at it; a new one goes into
// the first gap between those, or after they have been moved together (their
// readers follow them). Sized at construction for the most the factory
// programs can need at once, so that note and program events never allocate.
#pragma once

#include "envelope_stream.h"
#include "voice_program.h"

#include <cstddef>
#include <cstdint>

namespace t815 {

// The most spans that read one store: four amplitude streams and a template.
constexpr int kMaxStoreReaders = 5;

// What a template was built from: a program's number and bytes. A store
// keeps one copy per key while it is read. Releases have no key (-1).
struct SequenceKey {
    std::int32_t program = -1;
    VoiceProgram bytes{};
};

struct StoredSequence {
    std::uint32_t offset;
    std::uint32_t size;
    SequenceKey key;
};

struct EnvelopeStore {
    ByteSequence bytes; // sized at construction, larger only for non-factory programs
    // By offset: at most one per reader, and the one being placed.
    StoredSequence sequences[kMaxStoreReaders + 1];
    int count = 0;

    EnvelopeStore() = default;
    EnvelopeStore(const EnvelopeStore&) = delete; // spans point into bytes
    EnvelopeStore& operator=(const EnvelopeStore&) = delete;
};

// Every span that may point into a store.
struct StoreReaders {
    LevelSpan* spans[kMaxStoreReaders];
    int count;
};

// Gives the store `bytes` bytes of storage, every page of it written so that
// none is first mapped on the audio thread; throws std::bad_alloc.
void reserveStore(EnvelopeStore& store, std::size_t bytes);
void releaseStore(EnvelopeStore& store);

// Points `reader` at the stored sequence built with `key` when a reader
// still reads one; false otherwise.
bool shareStored(const EnvelopeStore& store, const StoreReaders& readers, LevelSpan& reader,
                 const SequenceKey& key);

// Makes room for `size` levels that no reader but `reader` reads, points
// `reader` at them and returns where to write them. What `reader` read
// before is no longer kept for it; other readers keep what they read.
std::uint8_t* placeSequence(EnvelopeStore& store, const StoreReaders& readers, LevelSpan& reader,
                            std::uint32_t size, const SequenceKey& key);

} // namespace t815
