// The streams' read and write callbacks.
#include "clap_streams.h"

#include <algorithm>
#include <cstring>

namespace {

std::int64_t CLAP_CALL readBytes(const clap_istream* stream, void* buffer, std::uint64_t size) {
    ClapMemoryReader* reader = stream ? static_cast<ClapMemoryReader*>(stream->ctx) : nullptr;
    if (reader == nullptr || (buffer == nullptr && size > 0)) return -1;
    std::uint64_t count = std::min<std::uint64_t>(size, reader->size - reader->position);
    if (reader->maxChunk > 0) count = std::min<std::uint64_t>(count, reader->maxChunk);
    if (count > 0) std::memcpy(buffer, reader->data + reader->position, std::size_t(count));
    reader->position += std::size_t(count);
    return std::int64_t(count);
}

std::int64_t CLAP_CALL writeBytes(const clap_ostream* stream, const void* buffer,
                                  std::uint64_t size) {
    ClapMemoryWriter* writer = stream ? static_cast<ClapMemoryWriter*>(stream->ctx) : nullptr;
    if (writer == nullptr || writer->bytes == nullptr || (buffer == nullptr && size > 0) ||
        size > writer->limit - writer->bytes->size())
        return -1;
    const std::uint8_t* from = static_cast<const std::uint8_t*>(buffer);
    writer->bytes->insert(writer->bytes->end(), from, from + size);
    return std::int64_t(size);
}

} // namespace

void initClapReader(ClapMemoryReader& reader, const std::vector<std::uint8_t>& bytes,
                    std::size_t maxChunk) {
    reader.stream = {&reader, readBytes};
    reader.data = bytes.data();
    reader.size = bytes.size();
    reader.position = 0;
    reader.maxChunk = maxChunk;
}

void initClapWriter(ClapMemoryWriter& writer, std::vector<std::uint8_t>& bytes, std::size_t limit) {
    writer.stream = {&writer, writeBytes};
    writer.bytes = &bytes;
    writer.limit = std::max(limit, bytes.size());
}
