// Sequences are found by their start: streams and templates always read a
// stored sequence whole, and stored sequences never overlap or are empty.
#include "envelope_store.h"

#include <algorithm>
#include <cstring>

namespace t815 {

namespace {

bool sameKey(const SequenceKey& a, const SequenceKey& b) {
    return a.program == b.program && std::memcmp(a.bytes.bytes, b.bytes.bytes, sizeof a.bytes) == 0;
}

bool isRead(const EnvelopeStore& store, const StoreReaders& readers, const StoredSequence& s) {
    const std::uint8_t* start = store.bytes.data() + s.offset;
    for (int r = 0; r < readers.count; ++r)
        if (readers.spans[r]->data == start) return true;
    return false;
}

void forgetUnread(EnvelopeStore& store, const StoreReaders& readers) {
    int kept = 0;
    for (int i = 0; i < store.count; ++i)
        if (isRead(store, readers, store.sequences[i]))
            store.sequences[kept++] = store.sequences[i];
    store.count = kept;
}

// Moves the sequences, in order, to the start of `to` (the store's own bytes
// or larger ones); their readers follow. Within the same bytes every
// sequence moves towards the start, never over one still to move.
void gather(EnvelopeStore& store, const StoreReaders& readers, std::uint8_t* to) {
    std::uint32_t end = 0;
    for (int i = 0; i < store.count; ++i) {
        StoredSequence& s = store.sequences[i];
        const std::uint8_t* from = store.bytes.data() + s.offset;
        std::memmove(to + end, from, s.size);
        for (int r = 0; r < readers.count; ++r)
            if (readers.spans[r]->data == from) readers.spans[r]->data = to + end;
        s.offset = end;
        end += s.size;
    }
}

} // namespace

void reserveStore(EnvelopeStore& store, std::size_t bytes) {
    ByteSequence(bytes).swap(store.bytes); // zero-filled: written
    store.count = 0;
}

void releaseStore(EnvelopeStore& store) {
    ByteSequence().swap(store.bytes);
    store.count = 0;
}

bool shareStored(const EnvelopeStore& store, const StoreReaders& readers, LevelSpan& reader,
                 const SequenceKey& key) {
    if (key.program < 0) return false;
    for (int i = 0; i < store.count; ++i) {
        const StoredSequence& s = store.sequences[i];
        if (sameKey(s.key, key) && isRead(store, readers, s)) {
            reader = {store.bytes.data() + s.offset, s.size};
            return true;
        }
    }
    return false;
}

std::uint8_t* placeSequence(EnvelopeStore& store, const StoreReaders& readers, LevelSpan& reader,
                            std::uint32_t size, const SequenceKey& key) {
    reader = {};
    forgetUnread(store, readers);
    if (size == 0) return nullptr; // nothing to keep: the reader reads an empty sequence

    // The first gap long enough, before sequence `index`.
    std::uint32_t at = 0;
    int index = 0;
    for (; index < store.count; ++index) {
        const StoredSequence& s = store.sequences[index];
        if (s.offset - at >= size) break;
        at = s.offset + s.size;
    }
    if (index == store.count && store.bytes.size() - at < size) {
        std::size_t used = 0;
        for (int i = 0; i < store.count; ++i)
            used += store.sequences[i].size;
        if (used + size <= store.bytes.size()) {
            gather(store, readers, store.bytes.data());
        } else { // only sequences no factory program makes get here
            ByteSequence larger(std::max(used + size, 2 * store.bytes.size()));
            gather(store, readers, larger.data());
            store.bytes.swap(larger);
        }
        at = static_cast<std::uint32_t>(used);
    }

    for (int i = store.count; i > index; --i)
        store.sequences[i] = store.sequences[i - 1];
    store.sequences[index] = {at, size, key};
    ++store.count;
    reader = {store.bytes.data() + at, size};
    return store.bytes.data() + at;
}

} // namespace t815
