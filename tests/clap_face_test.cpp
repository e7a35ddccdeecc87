// The CLAP face through the real t815.clap and its exported clap_entry, as
// a host drives it: identity, ports, parameters and their texts, state and
// hostile streams, and every kind of event, with the sound checked bit for
// bit against the VST 2.4 library (t815.so / t815.dll, loaded alongside)
// fed the same events.
#include "clap_host_fixture.h"
#include "clap_plugin.h"
#include "instrument_operations.h"
#include "plugin_host_fixture.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace t815::test {
namespace {

// The instance behind a plug-in record, for what the panel does (the test
// calls the same operations the panel's controls call).
PluginInstance& instanceOf(const clap_plugin* plugin) {
    return static_cast<ClapPlugin*>(plugin->plugin_data)->instance;
}

// The VST 2.4 library fed what a CLAP event means, before its next block.
void feedVst(AEffect* effect, const AnyEvent& event) {
    EventList list;
    auto midi = [&](int status, int d1, int d2) {
        effect->dispatcher(effect, effProcessEvents, 0, 0,
                           list.build({t815::test::midiEvent(status, d1, d2)}), 0.0f);
    };
    switch (event.header.type) {
    case CLAP_EVENT_NOTE_ON:
        return midi(0x90, event.note.key, 100);
    case CLAP_EVENT_NOTE_OFF:
    case CLAP_EVENT_NOTE_CHOKE:
        return midi(0x80, event.note.key, 0);
    case CLAP_EVENT_MIDI:
        return midi(event.midi.data[0], event.midi.data[1], event.midi.data[2]);
    case CLAP_EVENT_PARAM_VALUE:
        if (event.param.param_id == kClapProgramParam)
            effect->dispatcher(effect, effSetProgram, 0, static_cast<VstIntPtr>(event.param.value),
                               nullptr, 0.0f);
        else
            effect->setParameter(effect, static_cast<VstInt32>(event.param.param_id),
                                 static_cast<float>(event.param.value));
        return;
    }
}

struct VstInstance {
    AEffect* effect = pluginEntry()(nullptr);
    ~VstInstance() {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    // Renders frames in pieces split at the events' times, each event fed
    // before the piece that starts at it.
    t815::test::Stereo process(int frames, const std::vector<AnyEvent>& events = {}) {
        t815::test::Stereo out{std::vector<float>(frames), std::vector<float>(frames)};
        int done = 0;
        auto renderTo = [&](int end) {
            if (end <= done) return;
            float* outputs[2] = {out.left.data() + done, out.right.data() + done};
            effect->processReplacing(effect, nullptr, outputs, end - done);
            done = end;
        };
        for (const AnyEvent& event : events) {
            renderTo(std::min<int>(event.header.time, frames));
            feedVst(effect, event);
        }
        renderTo(frames);
        return out;
    }
};

// A piece of music touching every event kind, at offset 0 of each block.
std::vector<std::vector<AnyEvent>> musicAtBlockStarts() {
    std::vector<std::vector<AnyEvent>> blocks(48);
    for (int b = 0; b < 48; ++b) {
        auto& events = blocks[b];
        const int key = 36 + (b * 7) % 40;
        if (b % 3 == 0) events.push_back(noteOn(0, key));
        if (b % 3 == 2) events.push_back(noteOff(0, 36 + ((b - 2) * 7) % 40));
        if (b % 8 == 4) events.push_back(clapMidi(0, 0xB0, 1, b * 2));    // the wheel
        if (b % 8 == 6) events.push_back(clapMidi(0, 0xE0, b, 70));       // bend
        if (b % 16 == 10) events.push_back(clapMidi(0, 0xC0, b % 32, 0)); // program change
        if (b % 5 == 1) events.push_back(paramEvent(0, b % 5, (b % 11) / 10.0));
        if (b % 12 == 7) events.push_back(paramEvent(0, kClapProgramParam, (b * 3) % 32));
        if (b % 9 == 8) events.push_back(noteEvent(CLAP_EVENT_NOTE_CHOKE, 0, key));
    }
    return blocks;
}

bool bitsEqual(const t815::test::Stereo& a, const t815::test::Stereo& b) {
    return t815::test::bitsEqual(a.left, b.left) && t815::test::bitsEqual(a.right, b.right);
}

TEST(ClapEntry, OneCountedPluginInTheFactory) {
    const clap_plugin_entry* entry = clapEntry();
    ASSERT_NE(entry, nullptr) << "cannot load " << T815_CLAP_PATH;
    EXPECT_TRUE(clap_version_is_compatible(entry->clap_version));
    // More inits than deinits keep the library usable; extra deinits are harmless.
    EXPECT_TRUE(entry->init(T815_CLAP_PATH));
    entry->deinit();
    EXPECT_EQ(entry->get_factory("clap.nothing"), nullptr);
    EXPECT_EQ(entry->get_factory(nullptr), nullptr);
    const clap_plugin_factory* factory = clapFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const clap_plugin_descriptor* d = factory->get_plugin_descriptor(factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->id, "com.gravlon.t815");
    EXPECT_STREQ(d->name, "Veltrano T-815");
    EXPECT_STREQ(d->vendor, "Gravlon / VST Port");
    EXPECT_STREQ(d->version, T815_VERSION);
    std::vector<std::string> features;
    for (const char* const* f = d->features; *f; ++f)
        features.push_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"instrument", "synthesizer", "stereo"}));
    TestHost host;
    for (const char* id : {"com.gravlon.t816", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(factory->create_plugin(factory, &host.host, id), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, kClapId), nullptr);
}

TEST(ClapPorts, NoInputOneStereoOutputOneNoteInputNoLatency) {
    ClapInstance clap;
    ASSERT_NE(clap.plugin, nullptr);
    auto* audio = static_cast<const clap_plugin_audio_ports*>(
        clap.plugin->get_extension(clap.plugin, CLAP_EXT_AUDIO_PORTS));
    auto* notes = static_cast<const clap_plugin_note_ports*>(
        clap.plugin->get_extension(clap.plugin, CLAP_EXT_NOTE_PORTS));
    auto* latency = static_cast<const clap_plugin_latency*>(
        clap.plugin->get_extension(clap.plugin, CLAP_EXT_LATENCY));
    ASSERT_TRUE(audio && notes && latency && clap.params && clap.state && clap.gui);
    EXPECT_EQ(clap.plugin->get_extension(clap.plugin, "clap.unknown"), nullptr);
    EXPECT_EQ(audio->count(clap.plugin, true), 0u);
    EXPECT_EQ(audio->count(clap.plugin, false), 1u);
    clap_audio_port_info a{};
    EXPECT_FALSE(audio->get(clap.plugin, 0, true, &a));
    EXPECT_FALSE(audio->get(clap.plugin, 1, false, &a));
    ASSERT_TRUE(audio->get(clap.plugin, 0, false, &a));
    EXPECT_EQ(a.channel_count, 2u);
    EXPECT_EQ(a.flags, std::uint32_t{CLAP_AUDIO_PORT_IS_MAIN});
    EXPECT_STREQ(a.port_type, "stereo");
    EXPECT_EQ(a.in_place_pair, CLAP_INVALID_ID);
    EXPECT_EQ(notes->count(clap.plugin, true), 1u);
    EXPECT_EQ(notes->count(clap.plugin, false), 0u);
    clap_note_port_info n{};
    EXPECT_FALSE(notes->get(clap.plugin, 0, false, &n));
    ASSERT_TRUE(notes->get(clap.plugin, 0, true, &n));
    EXPECT_EQ(n.supported_dialects, std::uint32_t{CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI});
    EXPECT_EQ(n.preferred_dialect, std::uint32_t{CLAP_NOTE_DIALECT_CLAP});
    EXPECT_EQ(latency->get(clap.plugin), 0u);
}

TEST(ClapParameters, InfosAndDefaultsAsTheVstFaceAnswers) {
    ClapInstance clap;
    VstInstance vst;
    ASSERT_TRUE(clap.params && vst.effect);
    struct Expected {
        const char* name;
        bool stepped;
        double max;
    };
    const Expected table[] = {{"Unison", true, 1},     {"Filter", true, 1},  {"Cutoff", false, 1},
                              {"Resonance", false, 1}, {"Volume", false, 1}, {"Program", true, 31}};
    ASSERT_EQ(clap.params->count(clap.plugin), 6u);
    for (std::uint32_t i = 0; i < 6; ++i) {
        clap_param_info info{};
        ASSERT_TRUE(clap.params->get_info(clap.plugin, i, &info));
        EXPECT_EQ(info.id, i);
        EXPECT_STREQ(info.name, table[i].name);
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, table[i].stepped) << i;
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, table[i].max);
        const double vstValue =
            i == kClapProgramParam
                ? vst.effect->dispatcher(vst.effect, effGetProgram, 0, 0, nullptr, 0)
                : vst.effect->getParameter(vst.effect, i);
        EXPECT_EQ(info.default_value, vstValue) << i;
        EXPECT_EQ(clap.value(i), vstValue) << i;
    }
    clap_param_info info{};
    EXPECT_FALSE(clap.params->get_info(clap.plugin, 6, &info));
    double v = 0;
    EXPECT_FALSE(clap.params->get_value(clap.plugin, 6, &v));
}

TEST(ClapParameters, TextsAreTheVstDisplaysAndReadBack) {
    ClapInstance clap;
    VstInstance vst;
    ASSERT_TRUE(clap.params && vst.effect);
    for (clap_id id = 0; id < 5; ++id)
        for (double value : {0.0, 0.004, 0.25, 0.333, 0.4999, 0.5, 0.61, 0.875, 0.995, 1.0}) {
            vst.effect->setParameter(vst.effect, id, static_cast<float>(value));
            char display[64] = {};
            vst.effect->dispatcher(vst.effect, effGetParamDisplay, id, 0, display, 0);
            const std::string text = clap.text(id, value);
            EXPECT_EQ(text, display) << id << " at " << value;
            double back = -1;
            ASSERT_TRUE(clap.params->text_to_value(clap.plugin, id, text.c_str(), &back)) << text;
            EXPECT_EQ(clap.text(id, back), text) << id << " at " << value;
        }
    for (int program = 0; program < 32; ++program) {
        const std::string name = clap.text(kClapProgramParam, program + 0.7);
        EXPECT_EQ(name, programNamesEnglish[program]);
        double back = -1;
        ASSERT_TRUE(
            clap.params->text_to_value(clap.plugin, kClapProgramParam, name.c_str(), &back));
        EXPECT_EQ(back, program);
    }
    double v = 0;
    char small[3];
    for (const char* bad : {"", "loud", "ON ", "0.5x", "nan"})
        EXPECT_FALSE(clap.params->text_to_value(clap.plugin, 2, bad, &v)) << bad;
    EXPECT_FALSE(clap.params->text_to_value(clap.plugin, 0, "on", &v));
    EXPECT_FALSE(clap.params->text_to_value(clap.plugin, 5, "No such program", &v));
    EXPECT_FALSE(clap.params->value_to_text(clap.plugin, 6, 0.5, small, sizeof small));
    EXPECT_FALSE(clap.params->value_to_text(clap.plugin, 4, std::nan(""), small, sizeof small));
    EXPECT_FALSE(clap.params->value_to_text(clap.plugin, 4, 1.0, small, sizeof small)); // "100%"
}

// Changes from the host are answered at once and not echoed; changes from
// MIDI and the panel are reported as output events, a panel drag inside a
// gesture; flush does the same while the host is not processing.
TEST(ClapParameters, HostChangesAnsweredAtOnceOtherChangesReported) {
    ClapInstance clap;
    ASSERT_NE(clap.params, nullptr);
    InputEvents in({paramEvent(0, 4, 0.25), paramEvent(0, kClapProgramParam, 9)});
    OutputEvents out;
    clap.params->flush(clap.plugin, &in.list, &out.list);
    EXPECT_EQ(clap.value(4), 0.25);
    EXPECT_EQ(clap.value(kClapProgramParam), 9);
    EXPECT_TRUE(out.events.empty());

    clap.activate(48000);
    clap.process(64, {paramEvent(0, 2, 0.5), clapMidi(10, 0xC0, 17, 0)}, &out);
    EXPECT_NEAR(clap.value(2), 0.5, 1e-6);
    // The program, and the switches the select set, each at its new value.
    ASSERT_FALSE(out.events.empty());
    for (const AnyEvent& e : out.events) {
        EXPECT_EQ(e.header.type, CLAP_EVENT_PARAM_VALUE);
        EXPECT_EQ(e.param.value, clap.value(e.param.param_id));
        EXPECT_NE(e.param.param_id, 2u); // the host's own change is not echoed
    }
    EXPECT_EQ(out.events.back().param.param_id, kClapProgramParam);
    EXPECT_EQ(out.events.back().param.value, 17);

    // The panel's drag of the volume knob.
    PluginInstance& instance = instanceOf(clap.plugin);
    markParameterGesture(instance, kParamVolume, true);
    storeParameter(instance, kParamVolume, 0.5f);
    markParameterGesture(instance, kParamVolume, false);
    EXPECT_EQ(clap.value(4), 0.5);
    EXPECT_GE(clap.host.flushRequests, 2);
    out.events.clear();
    clap.process(64, {}, &out);
    ASSERT_EQ(out.events.size(), 3u);
    EXPECT_EQ(out.events[0].header.type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(out.events[1].header.type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(out.events[1].param.value, 0.5);
    EXPECT_EQ(out.events[2].header.type, CLAP_EVENT_PARAM_GESTURE_END);
    for (const AnyEvent& e : out.events)
        EXPECT_EQ(e.gesture.param_id, 4u);
    out.events.clear();
    clap.process(64, {}, &out);
    EXPECT_TRUE(out.events.empty()); // reported once
}

// Events at offset 0 of each block sound exactly as the VST face fed the
// same events before each block, at every rate (500 Hz, and rates no float
// holds, render as 44100).
TEST(ClapEvents, AtBlockStartsBitIdenticalToTheVstFace) {
    // The CLAP rate, and the VST rate that must sound the same.
    const std::pair<double, float> rates[] = {{44100, 44100.0f}, {48000, 48000.0f},
                                              {96000, 96000.0f}, {500, 500.0f},
                                              {1e300, 44100.0f}, {std::nan(""), 44100.0f}};
    for (const auto& [rate, vstRate] : rates) {
        ClapInstance clap;
        VstInstance vst;
        ASSERT_TRUE(clap.plugin && vst.effect);
        clap.activate(rate);
        vst.effect->dispatcher(vst.effect, effSetSampleRate, 0, 0, nullptr, vstRate);
        int sounding = 0;
        for (const auto& events : musicAtBlockStarts()) {
            const auto a = clap.process(256, events);
            const auto b = vst.process(256, events);
            ASSERT_TRUE(bitsEqual(a, b)) << "rate " << rate;
            sounding += !allZero(a.left);
        }
        EXPECT_GT(sounding, 20) << rate;
    }
}

// Events inside a block act at their own sample: the same as the VST face
// with the block split there.
TEST(ClapEvents, InsideBlocksActAtTheirSample) {
    ClapInstance clap;
    VstInstance vst;
    ASSERT_TRUE(clap.plugin && vst.effect);
    clap.activate(44100);
    const std::vector<std::vector<AnyEvent>> blocks = {
        {noteOn(0, 60), noteOn(37, 64), paramEvent(37, 4, 0.5), clapMidi(100, 0xB0, 1, 90)},
        {paramEvent(1, 1, 0.0), noteOff(200, 60), clapMidi(255, 0xE0, 0, 100)},
        {paramEvent(13, kClapProgramParam, 21), noteOn(13, 48),
         noteEvent(CLAP_EVENT_NOTE_CHOKE, 128, 64)},
        {noteOn(600, 50)}, // past the block's end: after its last sample
        {paramEvent(64, 2, 0.1), paramEvent(64, 3, 0.9), noteOff(250, 48)},
    };
    for (const auto& events : blocks) {
        const auto a = clap.process(256, events);
        const auto b = vst.process(256, events);
        EXPECT_TRUE(bitsEqual(a, b));
        EXPECT_TRUE(t815::test::bitsEqual(a.left, a.right));
    }
    // And the split is audible: the same events at offset 0 differ.
    ClapInstance early;
    early.activate(44100);
    const auto x = early.process(256, {noteOn(0, 60)});
    ClapInstance delayed;
    delayed.activate(44100);
    const auto y = delayed.process(256, {noteOn(100, 60)});
    EXPECT_FALSE(bitsEqual(x, y));
    EXPECT_TRUE(allZero(std::vector<float>(y.left.begin(), y.left.begin() + 100)));
}

// Each kind of event, and what is ignored: events outside the core space,
// of unknown or unused types, for other ports, or with keys, ids or values
// out of range, leave the sound as no event does.
TEST(ClapEvents, EachKindActsAndTheRestIsIgnored) {
    auto soundAfter = [](std::vector<AnyEvent> events) {
        ClapInstance clap;
        clap.activate(44100);
        clap.process(64, {noteOn(0, 60)});
        clap.process(64, std::move(events));
        return clap.process(512);
    };
    const auto plain = soundAfter({});
    AnyEvent otherSpace = noteOff(0, 60);
    otherSpace.header.space_id = 1;
    AnyEvent unknown = noteOff(0, 60);
    unknown.header.type = 99;
    AnyEvent shortEvent = noteOff(0, 60);
    shortEvent.header.size = 16;
    AnyEvent midiPort1 = clapMidi(0, 0x80, 60, 0);
    midiPort1.midi.port_index = 1;
    const std::vector<std::pair<const char*, AnyEvent>> ignored = {
        {"other space", otherSpace},
        {"unknown type", unknown},
        {"short record", shortEvent},
        {"note end", noteEvent(CLAP_EVENT_NOTE_END, 0, 60)},
        {"note port 1", noteEvent(CLAP_EVENT_NOTE_OFF, 0, 60, 1)},
        {"key 128", noteOn(0, 128)},
        {"key -5", noteOff(0, -5)},
        {"note-on any key", noteOn(0, -1)},
        {"MIDI port 1", midiPort1},
        {"parameter 6", paramEvent(0, 6, 0.0)},
        {"parameter ~0", paramEvent(0, CLAP_INVALID_ID, 0.0)},
        {"volume NaN", paramEvent(0, 4, std::nan(""))},
        {"program 32", paramEvent(0, 5, 32)},
        {"program -1", paramEvent(0, 5, -1)},
        {"program inf", paramEvent(0, 5, std::numeric_limits<double>::infinity())},
    };
    for (const auto& [what, event] : ignored)
        EXPECT_TRUE(bitsEqual(soundAfter({event}), plain)) << what;

    const auto released = soundAfter({noteOff(0, 60)});
    EXPECT_FALSE(bitsEqual(released, plain));
    EXPECT_TRUE(bitsEqual(soundAfter({noteEvent(CLAP_EVENT_NOTE_CHOKE, 0, 60)}), released));
    EXPECT_TRUE(bitsEqual(soundAfter({clapMidi(0, 0x80, 60, 0)}), released));
    EXPECT_TRUE(bitsEqual(soundAfter({noteEvent(CLAP_EVENT_NOTE_OFF, 0, -1, -1)}), released));
    EXPECT_TRUE(
        bitsEqual(soundAfter({paramEvent(0, 4, 7.0)}), soundAfter({paramEvent(0, 4, 1.0)})));
    EXPECT_FALSE(bitsEqual(soundAfter({paramEvent(0, 4, 0.2)}), plain));
}

// A byte stream of the tests' own, failing where asked.
struct MemoryStream {
    std::vector<std::uint8_t> bytes;
    std::size_t at = 0;
    std::size_t failAt = SIZE_MAX; // a read or write reaching here answers -1
    std::size_t chunk = 3;         // bytes moved per call at most
    clap_istream in{this, read};
    clap_ostream out{this, write};

    static std::int64_t CLAP_CALL read(const clap_istream* s, void* buffer, std::uint64_t size) {
        auto& self = *static_cast<MemoryStream*>(s->ctx);
        if (self.at >= self.failAt) return -1;
        const std::size_t n = static_cast<std::size_t>(
            std::min<std::uint64_t>({size, self.chunk, self.bytes.size() - self.at}));
        if (n) std::memcpy(buffer, self.bytes.data() + self.at, n);
        self.at += n;
        return static_cast<std::int64_t>(n);
    }
    static std::int64_t CLAP_CALL write(const clap_ostream* s, const void* buffer,
                                        std::uint64_t size) {
        auto& self = *static_cast<MemoryStream*>(s->ctx);
        if (self.bytes.size() >= self.failAt) return -1;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, self.chunk));
        const auto* p = static_cast<const std::uint8_t*>(buffer);
        self.bytes.insert(self.bytes.end(), p, p + n);
        return static_cast<std::int64_t>(n);
    }
};

std::vector<std::uint8_t> saved(ClapInstance& clap) {
    MemoryStream stream;
    EXPECT_TRUE(clap.state->save(clap.plugin, &stream.out));
    return stream.bytes;
}

bool load(ClapInstance& clap, std::vector<std::uint8_t> bytes, std::size_t failAt = SIZE_MAX) {
    MemoryStream stream;
    stream.bytes = std::move(bytes);
    stream.failAt = failAt;
    return clap.state->load(clap.plugin, &stream.in);
}

TEST(ClapState, RoundTripRendersTheSameBits) {
    ClapInstance source, copy;
    ASSERT_TRUE(source.state && copy.state);
    source.activate(48000);
    copy.activate(48000);
    source.process(128, {paramEvent(0, kClapProgramParam, 19), paramEvent(0, 0, 0.0),
                         paramEvent(0, 2, 0.37), paramEvent(0, 3, 0.81), paramEvent(0, 4, 0.66),
                         clapMidi(0, 0xB0, 1, 77)});
    setPitchOffset(instanceOf(source.plugin), -7);
    copy.process(128);
    source.process(128);
    copy.process(128);
    const auto bytes = saved(source);
    ASSERT_TRUE(load(copy, bytes));
    for (clap_id id = 0; id < 6; ++id)
        EXPECT_EQ(copy.value(id), source.value(id)) << id;
    EXPECT_EQ(saved(copy), bytes);
    const std::vector<AnyEvent> music[] = {
        {noteOn(0, 57), noteOn(0, 61)}, {}, {noteOff(10, 57)}, {}};
    for (const auto& events : music)
        EXPECT_TRUE(bitsEqual(source.process(512, events), copy.process(512, events)));
}

// Every malformed stream answers false and leaves the instance as it was.
TEST(ClapState, HostileStreamsChangeNothing) {
    ClapInstance source, target;
    ASSERT_TRUE(source.state && target.state);
    source.process(16, {paramEvent(0, kClapProgramParam, 3), paramEvent(0, 4, 0.3)});
    target.process(16, {paramEvent(0, kClapProgramParam, 30), paramEvent(0, 2, 0.2)});
    const auto good = saved(source);
    const auto before = saved(target);
    ASSERT_EQ(good.size(), 34u);
    auto patched = [&](std::size_t at, std::vector<std::uint8_t> with) {
        auto bytes = good;
        std::copy(with.begin(), with.end(), bytes.begin() + at);
        return bytes;
    };
    const std::uint8_t nan[] = {0x00, 0x00, 0xC0, 0x7F};
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
        {"empty", {}},
        {"garbage", std::vector<std::uint8_t>(34, 0x5A)},
        {"magic", patched(0, {'t'})},
        {"future version", patched(4, {2})},
        {"version 0", patched(4, {0})},
        {"program 32", patched(8, {32})},
        {"program -1", patched(8, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"unison 2", patched(12, {2})},
        {"filter 255", patched(13, {255})},
        {"cutoff NaN", patched(14, {nan[0], nan[1], nan[2], nan[3]})},
        {"cutoff 0", patched(14, {0, 0, 0, 0})},
        {"resonance 2.0", patched(18, {0, 0, 0, 0x40})},
        {"volume -0.5", patched(22, {0, 0, 0, 0xBF})},
        {"tuning 26", patched(26, {26, 0, 0, 0})},
        {"wheel inf", patched(30, {0, 0, 0x80, 0x7F})},
    };
    for (std::size_t length = 1; length < good.size(); ++length)
        cases.push_back({"truncated to " + std::to_string(length),
                         std::vector<std::uint8_t>(good.begin(), good.begin() + length)});
    auto longer = good;
    longer.push_back(0);
    cases.push_back({"oversized", longer});
    for (const auto& [what, bytes] : cases) {
        EXPECT_FALSE(load(target, bytes)) << what;
        EXPECT_EQ(saved(target), before) << what;
    }
    for (std::size_t failAt : {std::size_t{0}, std::size_t{5}, good.size()}) {
        EXPECT_FALSE(load(target, good, failAt)) << "read fails at " << failAt;
        EXPECT_EQ(saved(target), before);
    }
    MemoryStream failing;
    failing.failAt = 10;
    EXPECT_FALSE(source.state->save(source.plugin, &failing.out));
    EXPECT_FALSE(source.state->load(source.plugin, nullptr));
    EXPECT_FALSE(source.state->save(source.plugin, nullptr));
    EXPECT_TRUE(load(target, good));
    EXPECT_EQ(saved(target), good);
}

TEST(ClapGui, ApiSizeAndTimerWithoutAWindow) {
    ClapInstance clap;
    ASSERT_NE(clap.gui, nullptr);
#ifdef _WIN32
    const char* api = "win32";
    const char* other = "x11";
#else
    const char* api = "x11";
    const char* other = "win32";
#endif
    EXPECT_TRUE(clap.gui->is_api_supported(clap.plugin, api, false));
    EXPECT_FALSE(clap.gui->is_api_supported(clap.plugin, api, true));
    EXPECT_FALSE(clap.gui->is_api_supported(clap.plugin, other, false));
    EXPECT_FALSE(clap.gui->is_api_supported(clap.plugin, nullptr, false));
    const char* preferred = nullptr;
    bool floating = true;
    ASSERT_TRUE(clap.gui->get_preferred_api(clap.plugin, &preferred, &floating));
    EXPECT_STREQ(preferred, api);
    EXPECT_FALSE(floating);
    std::uint32_t w = 0, h = 0;
    ASSERT_TRUE(clap.gui->get_size(clap.plugin, &w, &h));
    EXPECT_EQ(w, 920u);
    EXPECT_EQ(h, 430u);
    EXPECT_FALSE(clap.gui->can_resize(clap.plugin));
    // The host's scale sizes the gui; nonsense is refused and changes nothing.
    const struct {
        double scale;
        bool taken;
        std::uint32_t width, height;
    } scales[] = {{2.0, true, 1840, 860},       {std::nan(""), false, 1840, 860},
                  {-1.0, false, 1840, 860},     {0.0, false, 1840, 860},
                  {HUGE_VAL, false, 1840, 860}, {1.75, true, 1610, 753},
                  {1.0, true, 920, 430}};
    for (const auto& c : scales) {
        EXPECT_EQ(clap.gui->set_scale(clap.plugin, c.scale), c.taken) << c.scale;
        ASSERT_TRUE(clap.gui->get_size(clap.plugin, &w, &h));
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.width, c.height)) << c.scale;
        std::uint32_t askedWidth = 5000, askedHeight = 10;
        ASSERT_TRUE(clap.gui->adjust_size(clap.plugin, &askedWidth, &askedHeight));
        EXPECT_EQ(std::make_pair(askedWidth, askedHeight), std::make_pair(c.width, c.height));
        EXPECT_TRUE(clap.gui->set_size(clap.plugin, c.width, c.height));
        EXPECT_FALSE(clap.gui->set_size(clap.plugin, c.width + 1, c.height));
    }
    EXPECT_TRUE(clap.host.resizeRequests.empty()); // nothing open to resize
    EXPECT_FALSE(clap.gui->create(clap.plugin, other, false));
    EXPECT_FALSE(clap.gui->create(clap.plugin, api, true));
    ASSERT_TRUE(clap.gui->create(clap.plugin, api, false));
#ifdef _WIN32
    EXPECT_TRUE(clap.host.liveTimers.empty()); // the window procedure drives the panel
#else
    ASSERT_EQ(clap.host.liveTimers.size(), 1u);
    EXPECT_GE(clap.host.timerPeriod, 10u);
    EXPECT_LE(clap.host.timerPeriod, 50u);
#endif
    clap_window none{api, {nullptr}};
    EXPECT_FALSE(clap.gui->set_parent(clap.plugin, &none));
    EXPECT_FALSE(clap.gui->set_parent(clap.plugin, nullptr));
    EXPECT_FALSE(clap.gui->show(clap.plugin)); // no parent yet
    clap.gui->destroy(clap.plugin);
    EXPECT_TRUE(clap.host.liveTimers.empty());
}

} // namespace
} // namespace t815::test

namespace t815::test {
namespace {

// The audio thread processes events while the main thread saves, loads and
// reads values and texts, as hosts do (the thread sanitizer build runs it
// too); afterwards the last load holds.
TEST(ClapThreads, ProcessBesideStateAndParameterCalls) {
    ClapInstance clap, source;
    clap.activate(44100);
    source.process(16, {paramEvent(0, 5, 7), paramEvent(0, 4, 0.4), clapMidi(0, 0xB0, 1, 30)});
    const auto loaded = saved(source);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int b = 0; !done || b < 200; ++b)
            clap.process(128,
                         {noteOn(b % 128, 40 + b % 30), paramEvent(b % 100, b % 6, (b % 9) / 8.0),
                          clapMidi(100, 0xC0, b % 32, 0), noteOff(120, 40 + (b + 15) % 30)});
    });
    char text[64];
    for (int i = 0; i < 300; ++i) {
        load(clap, loaded);
        saved(clap);
        clap.params->value_to_text(clap.plugin, i % 6, clap.value(i % 6), text, sizeof text);
    }
    done = true;
    audio.join();
    ASSERT_TRUE(load(clap, loaded));
    clap.process(16);
    EXPECT_EQ(saved(clap), loaded);
}

} // namespace
} // namespace t815::test
