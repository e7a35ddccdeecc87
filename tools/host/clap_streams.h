// CLAP state streams over memory: a reader handing out a byte string (at
// most `maxChunk` bytes a call when set, to show whether a plug-in loops
// over short reads) and a writer appending to a byte string up to a limit.
#pragma once

#include "clap_abi.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct ClapMemoryReader {
    clap_istream stream{}; // ctx points back here
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    std::size_t maxChunk = 0; // 0: whatever is asked
};

struct ClapMemoryWriter {
    clap_ostream stream{}; // ctx points back here
    std::vector<std::uint8_t>* bytes = nullptr;
    std::size_t limit = 0; // writes beyond it fail
};

// Most bytes a state may have before the writer refuses more.
constexpr std::size_t kMaxClapStateBytes = std::size_t(256) << 20;

void initClapReader(ClapMemoryReader& reader, const std::vector<std::uint8_t>& bytes,
                    std::size_t maxChunk = 0);
void initClapWriter(ClapMemoryWriter& writer, std::vector<std::uint8_t>& bytes,
                    std::size_t limit = kMaxClapStateBytes);
