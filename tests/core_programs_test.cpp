// The core's data side: construction, the unpacked tables, the envelope
// templates and releases of the factory programs, program select and the
// pitch computation.
#include "core_fixture.h"

#include "envelope_builders.h"
#include "key_slots.h"
#include "program_select.h"
#include "rate_converter.h"
#include "rom_unpack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace t815 {
namespace {

using test::makeCore;
using test::runs;
using Runs = std::vector<std::pair<int, int>>;

constexpr int kValidNumbers[kProgramCount] = {0,  1,  2,  3,  4,  5,  6,  7,  10, 11, 12,
                                              13, 14, 15, 16, 17, 20, 21, 22, 23, 24, 25,
                                              26, 27, 30, 31, 32, 33, 34, 35, 36, 37};

// Each level in [from, to] (stepping by step) held count times.
Runs fall(int from, int to, int step, int count) {
    Runs out;
    for (int level = from; step < 0 ? level >= to : level <= to; level += step)
        out.push_back({level, count});
    return out;
}
Runs concat(std::initializer_list<Runs> parts) {
    Runs out;
    for (const Runs& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(CoreConstruction, DefaultsAndInvariants) {
    auto core = makeCore();
    ASSERT_TRUE(core);
    for (int i = 0; i < kProgramCount; ++i)
        EXPECT_EQ(core->programNumbers[i], kValidNumbers[i]);
    EXPECT_TRUE(core->romReady);
    EXPECT_EQ(core->currentProgram, 0);
    EXPECT_TRUE(core->filterOn);
    EXPECT_TRUE(core->unisonOn); // program 00 has its single-oscillator bit clear
    EXPECT_EQ(core->cutoffCoef, 0.99f);
    EXPECT_EQ(core->resonance, 0.8f);
    EXPECT_EQ(core->bendRatio, 1.0f);
    EXPECT_EQ(core->pitchOffset, 0);
    EXPECT_EQ(core->noteCounter, 0u);
    for (int n : {8, 9, 18, 19, 28, 29})
        for (int b = 0; b < kVoiceProgramBytes; ++b)
            EXPECT_EQ(core->voicePrograms[n].bytes[b], 0) << n;
    for (int i = 0; i < kOscillatorCount; ++i)
        EXPECT_EQ(core->oscPitch[i], 0);
    for (int k = 0; k < kSlotCount; ++k) {
        EXPECT_EQ(core->slots[k].state, kSlotFree);
        EXPECT_EQ(core->ampStreams[k].readPos, 0u);
        EXPECT_EQ(core->ampStreams[k].levels, core->ampTemplate);
    }
    EXPECT_EQ(core->filterStream.levels, core->filterTemplate);
    EXPECT_EQ(core->filterStream.readPos, 0u);
}

TEST(CoreConstruction, UnpackedTables) {
    auto core = makeCore();
    EXPECT_EQ(core->pitchIncrements[0], 0u);
    EXPECT_EQ(core->pitchIncrements[2048], 2 * core->pitchIncrements[1856]);
    EXPECT_EQ(core->pitchIncrements[2048], 65770u);
    EXPECT_EQ(core->pitchIncrements[2111], 2 * core->pitchIncrements[1919]);
    EXPECT_EQ(core->pitchIncrements[2111], 82568u);
    for (int i = 2048; i < kPitchCount; ++i)
        EXPECT_EQ(core->pitchIncrements[i], 2 * core->pitchIncrements[i - 192]);
    for (int i = 0; i < kLevelTableSize; ++i)
        EXPECT_EQ(core->levelTableLow[i] + core->levelTableHigh[i], 255);
    for (std::uint16_t code : core->waveTable)
        EXPECT_LE(code, 2047);
    // Waves 4..7 come from the second chip pair.
    EXPECT_EQ(core->waveTable[4 * 512 + 1], 1852);
    EXPECT_EQ(core->waveTable[7 * 512 + 5], 1858);

    EXPECT_EQ(core->voicePrograms[0][toneFlags], 16);
    EXPECT_EQ(core->voicePrograms[0][ampPeak], 255);
    EXPECT_EQ(core->voicePrograms[37][ampSustainRate], 32);
    // Bytes that move furthest through the entry byte map.
    EXPECT_EQ(core->voicePrograms[25][oscBOctave], 6);
    EXPECT_EQ(core->voicePrograms[25][oscBFine], 9);
    EXPECT_EQ(core->voicePrograms[25][oscAOctave], 4);
    EXPECT_EQ(core->voicePrograms[25][oscAFine], 6);
    EXPECT_EQ(core->voicePrograms[34][filterReleaseRate], 128);
}

TEST(CoreConstruction, PitchBases) {
    auto core = makeCore();
    PitchBases p00 = pitchBases(*core, 0);
    EXPECT_EQ(p00.oscA, 1624);
    EXPECT_EQ(p00.oscB, 1623);
    PitchBases p01 = pitchBases(*core, 1);
    EXPECT_EQ(p01.oscA, 1240);
    EXPECT_EQ(p01.oscB, 1623);
    // Codes outside 4..6 give 256 c + 144 plus the fine byte.
    core->voicePrograms[33].bytes[oscAOctave] = 2;
    core->voicePrograms[33].bytes[oscAFine] = 3;
    EXPECT_EQ(pitchBases(*core, 33).oscA, 512 + 144 + 3);
}

TEST(EnvelopeTemplates, WorkedFactoryTemplates) {
    auto core = makeCore();
    selectProgram(*core, 0, true);
    EXPECT_EQ(core->ampTemplate.size, 97100u);
    EXPECT_EQ(
        runs(core->ampTemplate),
        concat(
            {fall(0, 240, 48, 100), fall(255, 243, -4, 100), {{239, 500}}, fall(238, 0, -1, 400)}));
    EXPECT_EQ(test::bytesOf(core->filterTemplate), ByteSequence{0});

    selectProgram(*core, 1, true);
    EXPECT_EQ(runs(core->filterTemplate),
              (Runs{{0, 100}, {64, 100}, {128, 100}, {160, 100}, {96, 100}, {64, 200}}));

    selectProgram(*core, 2, true);
    EXPECT_EQ(test::bytesOf(core->filterTemplate), ByteSequence(100, 96));

    selectProgram(*core, 15, true);
    EXPECT_EQ(test::bytesOf(core->filterTemplate), ByteSequence(101, 0));

    selectProgram(*core, 37, true);
    EXPECT_EQ(core->ampTemplate.size, 192900u);
    EXPECT_EQ(
        runs(core->ampTemplate),
        concat(
            {fall(0, 192, 64, 100), fall(255, 243, -4, 100), {{239, 900}}, fall(238, 0, -1, 800)}));
}

TEST(EnvelopeTemplates, LongestSequencesFitTheReservedStorage) {
    auto core = makeCore();
    std::vector<std::size_t> amp, filter; // template lengths, longest first
    std::size_t ampRelease = 0, filterRelease = 0;
    for (int n : kValidNumbers) {
        selectProgram(*core, n, true);
        amp.push_back(core->ampTemplate.size);
        filter.push_back(core->filterTemplate.size);
        for (int a = 0; a <= 255; ++a) {
            ByteSequence release;
            buildAmpRelease(*core, a, release);
            ampRelease = std::max(ampRelease, release.size());
            buildFilterRelease(*core, a, release);
            filterRelease = std::max(filterRelease, release.size());
        }
    }
    std::sort(amp.rbegin(), amp.rend());
    std::sort(filter.rbegin(), filter.rend());
    EXPECT_EQ(amp[0], kMaxAmpEnvelopeBytes); // program 37's template
    EXPECT_EQ(amp[4], kNextAmpTemplateBytes);
    EXPECT_EQ(filter[0], kMaxFilterTemplateBytes);
    EXPECT_EQ(filterRelease, kMaxFilterEnvelopeBytes);
    // Note and program events place sequences into storage reserved at
    // construction: it must hold the most that can be read at once. Five
    // amplitude templates of different programs (four slots and the
    // template), or four and a release; a filter template and a release, or
    // two templates.
    const std::size_t fourTemplates = amp[0] + amp[1] + amp[2] + amp[3];
    EXPECT_LE(fourTemplates + std::max(amp[4], ampRelease), kAmpStoreBytes);
    EXPECT_LE(filter[0] + std::max(filter[1], filterRelease), kFilterStoreBytes);
    EXPECT_GE(core->ampStore.bytes.size(), kAmpStoreBytes);
    EXPECT_GE(core->filterStore.bytes.size(), kFilterStoreBytes);
}

TEST(EnvelopeTemplates, AmplitudeDecayDipsBelowSustain) {
    auto core = makeCore();
    VoiceProgram& p = core->voicePrograms[3];
    p = VoiceProgram{};
    p.bytes[ampStart] = 100; // no attack
    p.bytes[ampPeak] = 100;
    p.bytes[ampSustain] = 50;
    p.bytes[ampDecayStep] = 30;
    selectProgram(*core, 3, true);
    EXPECT_EQ(runs(core->ampTemplate), (Runs{{100, 100}, {70, 100}, {40, 100}, {50, 100}}));
}

TEST(EnvelopeTemplates, LevelRamp) {
    using V = std::vector<std::int32_t>;
    EXPECT_EQ(levelRamp(160, 64, -64), (V{160, 96, 64}));
    EXPECT_EQ(levelRamp(0, 10, 4), (V{0, 4, 8, 10}));
    EXPECT_EQ(levelRamp(5, 5, 1), (V{5}));
    EXPECT_EQ(levelRamp(5, 10, -1), (V{5})); // step points away
    EXPECT_EQ(levelRamp(-3, 0, -5), (V{-3}));
}

TEST(EnvelopeReleases, AmplitudeAndFilter) {
    auto core = makeCore(); // program 00: release step 8
    ByteSequence out{1, 2, 3};
    buildAmpRelease(*core, 8, out);
    EXPECT_EQ(out, ByteSequence(100, 0));
    buildAmpRelease(*core, 255, out);
    EXPECT_EQ(out.size(), 3200u);
    EXPECT_EQ(runs(out), concat({fall(247, 7, -8, 100), {{0, 100}}}));

    selectProgram(*core, 2, true); // constant filter level, whatever the level passed
    buildFilterRelease(*core, 200, out);
    EXPECT_EQ(out, ByteSequence(100, 96));

    selectProgram(*core, 11, true); // filter release rate 64: 400 steps per level
    buildFilterRelease(*core, 3, out);
    EXPECT_EQ(runs(out), (Runs{{2, 400}, {1, 400}, {0, 100}}));
}

TEST(ProgramSelect, WithoutResetKeepsVoicesAndRepitches) {
    auto core = makeCore();
    noteOn(*core, 60);
    for (int t = 0; t < 7; ++t)
        core->ampStreams[0].readPos++;
    core->oscPhase[0] = 1234;
    core->filterState[0] = 0.5f;
    const EnvelopeStream stream = core->ampStreams[0];
    const EnvelopeStream filter = core->filterStream;
    const ByteSequence streamLevels = test::bytesOf(stream.levels);
    const ByteSequence filterLevels = test::bytesOf(filter.levels);

    selectProgram(*core, 1, false);
    EXPECT_EQ(core->currentProgram, 1);
    EXPECT_EQ(core->ampStreams[0].levels, stream.levels);
    EXPECT_EQ(core->ampStreams[0].readPos, stream.readPos);
    EXPECT_EQ(core->filterStream.levels, filter.levels);
    EXPECT_EQ(test::bytesOf(core->ampStreams[0].levels), streamLevels); // kept, not rebuilt over
    EXPECT_EQ(test::bytesOf(core->filterStream.levels), filterLevels);
    EXPECT_EQ(core->oscPhase[0], 1234u);
    EXPECT_EQ(core->filterState[0], 0.5f);
    EXPECT_EQ(core->slots[0].state, kSlotHeld);
    EXPECT_EQ(core->oscPitch[0], 1240 + 48);          // program 01's base A, key 60
    EXPECT_EQ(runs(core->filterTemplate).size(), 6u); // rebuilt for program 01
}

TEST(ProgramSelect, WithResetRestartsEverything) {
    auto core = makeCore();
    noteOn(*core, 60);
    core->filterState[1] = 0.25f;
    core->oscPhase[3] = 99;
    core->voicePrograms[5].bytes[toneFlags] |= 0x80;
    selectProgram(*core, 5, true);
    EXPECT_FALSE(core->unisonOn);
    core->filterOn = false;
    selectProgram(*core, 5, true);
    EXPECT_TRUE(core->filterOn);
    for (int k = 0; k < kSlotCount; ++k) {
        EXPECT_EQ(core->slots[k].state, kSlotFree);
        EXPECT_EQ(core->slots[k].key, 0);
        EXPECT_EQ(core->ampStreams[k].levels, core->ampTemplate);
    }
    for (int i = 0; i < kOscillatorCount; ++i) {
        EXPECT_EQ(core->oscPitch[i], 0);
        EXPECT_EQ(core->oscPhase[i], 0u);
    }
    EXPECT_EQ(core->filterState[1], 0.0f);
    EXPECT_EQ(core->noteCounter, 1u); // never reset

    const ByteSequence amp = test::bytesOf(core->ampTemplate);
    const ByteSequence filter = test::bytesOf(core->filterTemplate);
    selectProgram(*core, 5, true);
    EXPECT_EQ(test::bytesOf(core->ampTemplate), amp);
    EXPECT_EQ(test::bytesOf(core->filterTemplate), filter);
}

// Streams share templates and releases in the instance's storage; they must
// read exactly what they would with a copy of their own, as every note-on
// once made. A copying model follows each script: a note-on copies the
// current templates (as a core with nothing but resets builds them), a
// note-off builds the release from the level the model's copy has at the
// stream's position, a select with reset copies the new templates to every
// stream. After every step each stream's levels and the templates must equal
// the model's, and the storage must not have grown (nothing allocated).
// Steps: Sn / sn select program n with / without reset, +k / -k note on /
// off, rN render N ms.
TEST(EnvelopeStorage, StreamsReadWhatTheirOwnCopiesWouldHold) {
    struct Script {
        const char* name;
        const char* steps;
    };
    const Script scripts[] = {
        {"four slots on one template, one released in the middle",
         "S37 +48 +55 +60 +64 r1500 -55 r400 +67 r300 -48 -60 -64 -67 r200"},
        {"selects with reset while slots read the earlier program's templates",
         "S37 +60 +64 r300 -60 r100 S13 r100 +60 r200 -60 r100 S26 +50 S37 r100 +52 -52 S12 r100"},
        {"selects without reset while four slots and the filter read older templates",
         "S37 +48 r200 s0 +55 r200 s13 +60 r100 s27 +64 r300 s12 +48 r200 s37 s0 +55 r100 s37 "
         "-48 r100 -55 -60 r200 s1 +72 -64 -72 r300 S1 +60 r100"},
        {"the five longest templates at once",
         "S37 +48 r100 s0 +55 r100 s1 +60 r100 s3 +64 r100 s34 r200 +67 s37 +48 r100 -48 -55 "
         "-60 -64 -67 r200"},
        {"no gap long enough for a template: the sequences read move together",
         "S37 s26 s1 +60 s32 +48 r100 s31 +48 s34 +52 s26 r200 -48 -52 -60 r100"},
        {"filter releases of the longest kind between templates",
         "S26 +60 r200 s12 -60 r300 s13 r100 s27 +60 r100 -60 r100 s12 +61 s26 -61 r100 s13 "
         "+62 -62 r100"},
    };

    auto reference = makeCore();
    auto templateOf = [&](int program, LevelSpan SynthCore::*which) {
        selectProgram(*reference, program, true);
        return test::bytesOf((*reference).*which);
    };
    auto levelAt = [](const ByteSequence& levels, std::uint32_t readPos) {
        return levels.empty() ? 0 : levels[std::min<std::size_t>(readPos, levels.size() - 1)];
    };

    for (const Script& script : scripts) {
        auto core = makeCore();
        const std::uint8_t* ampStorage = core->ampStore.bytes.data();
        const std::uint8_t* filterStorage = core->filterStore.bytes.data();
        ByteSequence amp[kSlotCount], filter; // the model's copies
        std::istringstream steps(script.steps);
        char op;
        int arg;
        while (steps >> op >> arg) {
            SCOPED_TRACE(testing::Message() << script.name << ", step " << op << arg);
            const int program = core->currentProgram;
            if (op == 'S' || op == 's') {
                selectProgram(*core, arg, op == 'S');
                if (op == 'S') {
                    for (ByteSequence& levels : amp)
                        levels = templateOf(arg, &SynthCore::ampTemplate);
                    filter = templateOf(arg, &SynthCore::filterTemplate);
                }
            } else if (op == '+') {
                noteOn(*core, arg);
                for (int k = 0; k < kSlotCount; ++k)
                    if (core->slots[k].age == core->noteCounter && core->slots[k].key == arg)
                        amp[k] = templateOf(program, &SynthCore::ampTemplate);
                filter = templateOf(program, &SynthCore::filterTemplate);
            } else if (op == '-') {
                const std::uint32_t filterPos = core->filterStream.readPos;
                for (int k = 0; k < kSlotCount; ++k)
                    if (core->slots[k].key == arg && core->slots[k].state == kSlotHeld)
                        buildAmpRelease(*core, levelAt(amp[k], core->ampStreams[k].readPos),
                                        amp[k]);
                noteOff(*core, arg);
                if (!anyKeyHeld(*core))
                    buildFilterRelease(*core, levelAt(filter, filterPos), filter);
            } else {
                std::vector<float> out(48 * arg);
                renderBlock(*core, out.data(), nullptr, static_cast<int>(out.size()), 48000.0);
            }
            for (int k = 0; k < kSlotCount; ++k)
                EXPECT_EQ(test::bytesOf(core->ampStreams[k].levels), amp[k]) << "slot " << k;
            EXPECT_EQ(test::bytesOf(core->filterStream.levels), filter);
            EXPECT_EQ(test::bytesOf(core->ampTemplate),
                      templateOf(core->currentProgram, &SynthCore::ampTemplate));
            EXPECT_EQ(test::bytesOf(core->filterTemplate),
                      templateOf(core->currentProgram, &SynthCore::filterTemplate));
            EXPECT_EQ(core->ampStore.bytes.data(), ampStorage);
            EXPECT_EQ(core->filterStore.bytes.data(), filterStorage);
        }
    }
}

// The store itself, ten bytes with five readers: a new sequence takes the
// first gap long enough (also the one its reader leaves), else the sequences
// read move together, else the storage grows; a sequence is shared by key
// while read. Every reader must keep reading what was written for it.
TEST(EnvelopeStorage, PlacesIntoGapsMovesTogetherAndGrows) {
    struct Step {
        int reader;
        std::uint32_t size; // 0: share by key
        int key;            // program number of a template, -1 for none
        std::uint32_t offset;
        std::size_t capacity;
    };
    const Step steps[] = {
        {0, 3, -1, 0, 10},  // from the start
        {1, 3, -1, 3, 10},  // after it
        {2, 3, 7, 6, 10},   // a template
        {1, 2, -1, 3, 10},  // its own place again
        {3, 1, -1, 5, 10},  // the one-byte gap left
        {0, 4, -1, 6, 10},  // gaps of 3 and 1 only: the others move together
        {4, 0, 7, 3, 10},   // shares reader 2's template
        {3, 1, -1, 2, 10},  // its own place again
        {2, 1, -1, 10, 20}, // reader 4 keeps the template; 10 bytes read: grows
        {1, 8, -1, 11, 20}, // the gap at the end
    };
    EnvelopeStore store;
    reserveStore(store, 10);
    LevelSpan spans[kMaxStoreReaders];
    const StoreReaders readers{{&spans[0], &spans[1], &spans[2], &spans[3], &spans[4]}, 5};
    ByteSequence expected[kMaxStoreReaders];
    int fill = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "reader " << step.reader << ", " << step.size);
        SequenceKey key;
        key.program = step.key;
        LevelSpan& span = spans[step.reader];
        if (step.size == 0) {
            ASSERT_TRUE(shareStored(store, readers, span, key));
            expected[step.reader] = expected[2];
        } else {
            std::uint8_t* out = placeSequence(store, readers, span, step.size, key);
            std::memset(out, ++fill, step.size);
            expected[step.reader].assign(step.size, static_cast<std::uint8_t>(fill));
        }
        EXPECT_EQ(span.data - store.bytes.data(), step.offset);
        EXPECT_EQ(store.bytes.size(), step.capacity);
        for (int r = 0; r < kMaxStoreReaders; ++r)
            EXPECT_EQ(test::bytesOf(spans[r]), expected[r]) << "reader " << r;
    }
    EXPECT_FALSE(shareStored(store, readers, spans[0], SequenceKey{})); // releases are not shared
    releaseStore(store);
}

TEST(ProgramSelect, NothingBeforeTheRomIsReady) {
    auto core = makeCore();
    core->romReady = false;
    selectProgram(*core, 37, true);
    EXPECT_EQ(core->currentProgram, 0);
    noteOn(*core, 60);
    EXPECT_EQ(core->noteCounter, 0u);
}

TEST(UpdatePitches, OffsetsClampingAndUnison) {
    auto core = makeCore();
    VoiceProgram& p = core->voicePrograms[0];
    p.bytes[oscAOctave] = 6;
    p.bytes[oscAFine] = 255; // base 1871
    p.bytes[oscBOctave] = 0;
    p.bytes[oscBFine] = 0; // base 144
    noteOn(*core, 84);
    noteOn(*core, 0);
    EXPECT_EQ(core->oscPitch[0], kMaxPitch); // 1871 + 432 clamped
    EXPECT_EQ(core->oscPitch[3], 0);         // 144 - 912 clamped: silent

    core->pitchOffset = -25;
    updatePitches(*core);
    EXPECT_EQ(core->oscPitch[2], 1871 - 912 - 25);
    EXPECT_EQ(core->oscPitch[1], 144 + 432 - 25);

    core->unisonOn = false;
    updatePitches(*core);
    EXPECT_EQ(core->oscPitch[1], 0);
    EXPECT_EQ(core->oscPitch[3], 0);

    // Free slots keep whatever they hold.
    core->oscPitch[6] = 77;
    updatePitches(*core);
    EXPECT_EQ(core->oscPitch[6], 77);
}

// Everything the ROM and the builders decide, as one number checked in: the
// tables, every program's bytes and both templates of all 32 programs. The
// native and both Windows test programs must all compute it.
TEST(CoreDigest, TablesAndAllTemplates) {
    auto core = makeCore();
    test::Digest digest;
    digest.addBytes(core->pitchIncrements, sizeof core->pitchIncrements);
    digest.addBytes(core->waveTable, sizeof core->waveTable);
    digest.addBytes(core->levelTableLow, sizeof core->levelTableLow);
    digest.addBytes(core->levelTableHigh, sizeof core->levelTableHigh);
    digest.addBytes(core->voicePrograms, sizeof core->voicePrograms);
    for (int n : kValidNumbers) {
        selectProgram(*core, n, true);
        digest.addValue<std::uint64_t>(core->ampTemplate.size);
        digest.addBytes(core->ampTemplate.data, core->ampTemplate.size);
        digest.addValue<std::uint64_t>(core->filterTemplate.size);
        digest.addBytes(core->filterTemplate.data, core->filterTemplate.size);
    }
    EXPECT_EQ(digest.value, 0x1a7d717b493c6d54ull) << std::hex << digest.value;
}

} // namespace
} // namespace t815
