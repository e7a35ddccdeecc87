// t815-play's platform-free parts: the computer keyboard, the command line,
// the remembered state and its file, and periods rendered split at their
// MIDI events' frames.
#include "computer_keyboard.h"
#include "device_samples.h"
#include "instrument_operations.h"
#include "instrument_render.h"
#include "player_options.h"
#include "player_state.h"
#include "state_file.h"
#include "timed_midi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace t815::test {
namespace {

// The musical-typing layout: the key each character plays after the shift
// keys before it, from middle C at shift 0, clamped to the panel's 36..83.
TEST(ComputerKeyboardTest, RowsPlayWhiteAndBlackKeysThatShiftTogether) {
    const char* const home = "asdfghjkl;'";
    const int white[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17};
    const char* const above = "wetyuop";
    const int black[] = {1, 3, 6, 8, 10, 13, 15};
    ComputerKeyboard keyboard;
    for (int i = 0; home[i]; ++i)
        EXPECT_EQ(keyForCharacter(keyboard, home[i]), 60 + white[i]) << home[i];
    for (int i = 0; above[i]; ++i)
        EXPECT_EQ(keyForCharacter(keyboard, above[i]), 60 + black[i]) << above[i];
    for (const char other : {'q', 'r', 'i', 'z', 'x', 'c', 'A', '-', '=', ' ', '\0', char(-61)})
        EXPECT_EQ(keyForCharacter(keyboard, other), -1) << int(other);

    // Z and X stop where A would leave the panel's keyboard; at the top
    // shift the keys above 83 play nothing.
    const struct {
        char shift;
        int aKey, jKey, kKey;
    } shifts[] = {{'z', 48, 59, 60}, {'z', 36, 47, 48}, {'z', 36, 47, 48}, {'x', 48, 59, 60},
                  {'x', 60, 71, 72}, {'x', 72, 83, -1}, {'x', 72, 83, -1}, {'z', 60, 71, 72}};
    for (const auto& step : shifts) {
        EXPECT_EQ(computerKeyDown(keyboard, step.shift).kind, KeyAction::none);
        EXPECT_EQ(keyForCharacter(keyboard, 'a'), step.aKey);
        EXPECT_EQ(keyForCharacter(keyboard, 'j'), step.jKey);
        EXPECT_EQ(keyForCharacter(keyboard, 'k'), step.kKey);
    }
}

// A press sounds once however long the key repeats, and its release ends
// the note it began even after an octave shift; losing the keyboard
// releases everything still down.
TEST(ComputerKeyboardTest, PressesAndReleasesPair) {
    ComputerKeyboard keyboard;
    const KeyAction first = computerKeyDown(keyboard, 'a');
    EXPECT_EQ(first.kind, KeyAction::press);
    EXPECT_EQ(first.key, 60);
    EXPECT_EQ(computerKeyDown(keyboard, 'a').kind, KeyAction::none); // auto-repeat
    computerKeyDown(keyboard, 'x');
    const KeyAction up = computerKeyUp(keyboard, 'a');
    EXPECT_EQ(up.kind, KeyAction::release);
    EXPECT_EQ(up.key, 60);
    EXPECT_EQ(computerKeyUp(keyboard, 'a').kind, KeyAction::none);
    EXPECT_EQ(computerKeyUp(keyboard, 'q').kind, KeyAction::none);
    EXPECT_EQ(computerKeyUp(keyboard, char(-61)).kind, KeyAction::none);

    EXPECT_EQ(computerKeyDown(keyboard, ';').kind, KeyAction::none); // 88: off the panel
    computerKeyDown(keyboard, 'z');
    computerKeyDown(keyboard, 'w');
    computerKeyDown(keyboard, ';');
    std::vector<int> released;
    releaseAllComputerKeys(keyboard, [&](std::int32_t key) { released.push_back(key); });
    EXPECT_EQ(released, (std::vector<int>{76, 61})); // in character order: ';', 'w'
    EXPECT_EQ(computerKeyUp(keyboard, 'w').kind, KeyAction::none);
}

// 16-bit samples round, clip beyond full scale and make NaN silent.
TEST(DeviceSamplesTest, Int16RoundsAndClips) {
    const struct {
        float sample;
        std::int16_t expected;
    } cases[] = {{0.0f, 0},           {1.0f, 32767},     {-1.0f, -32767}, {0.5f, 16384},
                 {-0.5f, -16384},     {1.5f, 32767},     {-1.5f, -32768}, {1e30f, 32767},
                 {-INFINITY, -32768}, {INFINITY, 32767}, {NAN, 0},        {1.0f / 32767.0f, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(int16Sample(c.sample), c.expected) << c.sample;
}

// Frames land interleaved at their offset: float unchanged to the bit, left
// and right first, the rest silent, a single channel their mean.
TEST(DeviceSamplesTest, FramesInterleaveForAnyChannelCount) {
    const float left[] = {0.25f, -0.0f, 1e-40f};
    const float right[] = {-0.75f, 0.5f, 1e-40f};
    float surround[4 * 4];
    std::fill(std::begin(surround), std::end(surround), 9.0f);
    writeDeviceFrames(left, right, 3, 4, DeviceSampleFormat::float32, surround, 1);
    const float expected[] = {9,     9,    9, 9, 0.25f,  -0.75f, 0, 0,
                              -0.0f, 0.5f, 0, 0, 1e-40f, 1e-40f, 0, 0};
    EXPECT_EQ(std::memcmp(surround, expected, sizeof expected), 0);

    std::int16_t mono[3];
    writeDeviceFrames(left, right, 3, 1, DeviceSampleFormat::int16, mono, 0);
    EXPECT_EQ(mono[0], -8192); // (0.25 - 0.75) / 2
    EXPECT_EQ(mono[1], 8192);
    EXPECT_EQ(mono[2], 0);
}

TEST(PlayerOptionsTest, AcceptsItsOptionsAndRejectsTheRest) {
    const struct {
        std::vector<std::string> arguments;
        bool accepted;
    } cases[] = {
        {{}, true},
        {{"--program", "31", "--headless", "--no-connect"}, true},
        {{"--program=0", "--connect-midi", "a:b", "--connect-midi=c:d"}, true},
        {{"--list-midi"}, true},
        {{"--help"}, true},
        {{"-h"}, true},
        {{"--version"}, true},
        {{"--program", "32"}, false},
        {{"--program", "-1"}, false},
        {{"--program", "1x"}, false},
        {{"--program"}, false},
        {{"--program="}, false},
        {{"--headless=1"}, false},
        {{"--connect-midi", "a:b", "--no-connect"}, false},
        {{"--bogus"}, false},
        {{"stray"}, false},
        {{"--audio", "waveout"}, kPlayerChoosesAudio},
        {{"--audio=wasapi"}, kPlayerChoosesAudio},
        {{"--audio", "jack"}, false},
        {{"--audio"}, false},
    };
    for (const auto& c : cases) {
        PlayerOptions options;
        std::string error;
        EXPECT_EQ(parsePlayerOptions(c.arguments, options, error), c.accepted)
            << (c.arguments.empty() ? "" : c.arguments[0]) << ": " << error;
        EXPECT_EQ(error.empty(), c.accepted);
    }
    PlayerOptions options;
    std::string error;
    ASSERT_TRUE(
        parsePlayerOptions({"--program=7", "--connect-midi", "x:y", "--headless"}, options, error));
    EXPECT_EQ(options.program, 7);
    EXPECT_EQ(options.midiSources, std::vector<std::string>{"x:y"});
    EXPECT_TRUE(options.headless);
    EXPECT_TRUE(options.connect);
    EXPECT_EQ(options.audio, AudioSystem::automatic);
    if (kPlayerChoosesAudio) {
        ASSERT_TRUE(parsePlayerOptions({"--audio=waveout"}, options, error));
        EXPECT_EQ(options.audio, AudioSystem::waveOut);
    }
}

const PlayerState kSomeState{17, {1.0f, 0.0f, 0.123456789f, 0.7f, 0.3f}};

void expectSameState(const PlayerState& got, const PlayerState& expected, float tolerance = 0.0f) {
    EXPECT_EQ(got.program, expected.program);
    for (int i = 0; i < kRememberedParameters; ++i)
        EXPECT_NEAR(got.parameters[i], expected.parameters[i], tolerance) << i;
}

TEST(PlayerStateTest, TextGivesTheStateBackExactly) {
    PlayerState read;
    std::string error;
    ASSERT_TRUE(parsePlayerState(formatPlayerState(kSomeState), read, error)) << error;
    expectSameState(read, kSomeState);
}

// Anything unexpected rejects the whole file and leaves the state alone.
TEST(PlayerStateTest, DamagedTextIsRejectedWhole) {
    const std::string good = formatPlayerState(kSomeState);
    const std::string damaged[] = {
        "",
        good.substr(0, good.size() / 2),
        good + "volume=0.5\n",
        good + "tempo=1\n",
        good + "garbage\n",
        "program=40\n" + good.substr(good.find("unison")),
        "program=-1\n" + good.substr(good.find("unison")),
        good.substr(0, good.find("volume")) + "volume=1.5\n",
        good.substr(0, good.find("volume")) + "volume=nan\n",
        good.substr(0, good.find("volume")) + "volume=inf\n",
        good.substr(0, good.find("volume")) + "volume=0.5x\n",
        good.substr(0, good.find("volume")) + "volume=\n",
        std::string(5000, '#'),
        std::string("program=1\0\n", 12),
    };
    for (const std::string& text : damaged) {
        PlayerState state = kSomeState;
        state.program = 3;
        std::string error;
        EXPECT_FALSE(parsePlayerState(text, state, error)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(state.program, 3);
    }
}

// The state goes to an instance and comes back from it as its host view
// (the cutoff within the rounding of its stored form).
TEST(PlayerStateTest, InstanceTakesAndGivesTheState) {
    PluginInstance* instance = createPluginInstance({});
    ASSERT_NE(instance, nullptr);
    applyPlayerState(*instance, kSomeState);
    expectSameState(capturePlayerState(*instance), kSomeState, 1e-6f);
    destroyPluginInstance(instance);
}

struct StateFileTest : ::testing::Test {
    void SetUp() override {
        folder = ::testing::TempDir() + "t815-player-state-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path = folder + "/sub/t815-play.conf";
    }
    void TearDown() override {
        std::remove(path.c_str());
        std::remove((folder + "/sub").c_str());
        std::remove(folder.c_str());
    }
    void write(const std::string& text) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    std::string folder, path;
};

// Saved into folders made on the way, read back; a missing file is silent,
// a damaged one warns; none changes the state.
TEST_F(StateFileTest, SavesLoadsAndWarnsOfDamage) {
    PlayerState state;
    std::string message;
    EXPECT_FALSE(loadPlayerState(path, state, message));
    EXPECT_EQ(message, "");
    ASSERT_TRUE(savePlayerState(path, kSomeState, message)) << message;
    ASSERT_TRUE(loadPlayerState(path, state, message)) << message;
    expectSameState(state, kSomeState);

    write("program=99\n");
    PlayerState untouched;
    EXPECT_FALSE(loadPlayerState(path, untouched, message));
    EXPECT_NE(message.find("ignoring"), std::string::npos) << message;
    EXPECT_EQ(untouched.program, 0);

    EXPECT_FALSE(loadPlayerState("", state, message));
}

#ifndef _WIN32
TEST(StateFilePathTest, FollowsTheConfigFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = config ? config : "";
    setenv("XDG_CONFIG_HOME", "/somewhere", 1);
    EXPECT_EQ(stateFilePath(), "/somewhere/t815/t815-play.conf");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(stateFilePath(), "/home/player/.config/t815/t815-play.conf");
    if (config)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
#else
TEST(StateFilePathTest, FollowsTheConfigFolder) {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    const std::wstring saved = appData ? appData : L"";
    _wputenv(L"APPDATA=C:\\Users\\Pl\u00e4yer\\AppData\\Roaming");
    EXPECT_EQ(stateFilePath(), "C:\\Users\\Pl\xc3\xa4yer\\AppData\\Roaming\\T-815\\t815-play.conf");
    _wputenv((L"APPDATA=" + saved).c_str());
}
#endif

// A piece of MIDI on an absolute timeline of frames.
struct TimelineEvent {
    std::uint32_t frame;
    MidiMessage message;
};

const TimelineEvent kTimeline[] = {
    {0, {{0xC0, 5, 0}}},      {100, {{0x90, 60, 100}}}, {100, {{0x90, 64, 100}}},
    {333, {{0xB0, 1, 90}}},   {1000, {{0x80, 60, 0}}},  {1024, {{0xC0, 20, 0}}},
    {1500, {{0x90, 67, 90}}}, {2047, {{0xE0, 0, 100}}}, {2900, {{0x80, 67, 0}}},
};
constexpr std::uint32_t kTimelineFrames = 4000;

struct PeriodEvents {
    const TimelineEvent* events;
    std::uint32_t periodStart;
};

bool readPeriodEvent(const void* list, std::uint32_t i, TimedMidi& event) {
    const auto& period = *static_cast<const PeriodEvents*>(list);
    event = {period.events[i].frame - period.periodStart, period.events[i].message};
    return true;
}

// The timeline rendered in periods of `period` frames, each period given
// the events that fall in it.
std::vector<float> renderInPeriods(std::uint32_t period) {
    PluginInstance* instance = createPluginInstance({});
    setSampleRate(*instance, 48000.0f);
    std::vector<float> left(kTimelineFrames), right(kTimelineFrames);
    std::size_t next = 0;
    const std::size_t count = sizeof kTimeline / sizeof kTimeline[0];
    for (std::uint32_t start = 0; start < kTimelineFrames; start += period) {
        const std::uint32_t frames = std::min(period, kTimelineFrames - start);
        std::size_t end = next;
        while (end < count && kTimeline[end].frame < start + frames)
            ++end;
        const PeriodEvents list{kTimeline + next, start};
        renderWithTimedMidi(*instance, &left[start], &right[start], frames, &list,
                            static_cast<std::uint32_t>(end - next), readPeriodEvent);
        next = end;
    }
    EXPECT_EQ(left, right);
    destroyPluginInstance(instance);
    return left;
}

// Each event takes effect at its own frame, whatever the period: every
// period length gives the same samples, and nothing sounds before the first
// note's frame.
TEST(TimedMidiTest, EventsTakeEffectAtTheirFrameWhateverThePeriod) {
    const std::vector<float> reference = renderInPeriods(1);
    for (std::uint32_t period : {64u, 100u, 256u, 1024u, 4096u})
        EXPECT_EQ(renderInPeriods(period), reference) << period;
    for (std::uint32_t i = 0; i < 100; ++i)
        ASSERT_EQ(reference[i], 0.0f) << i;
    float loudest = 0.0f;
    for (std::uint32_t i = 100; i < 400; ++i)
        loudest = std::max(loudest, std::fabs(reference[i]));
    EXPECT_GT(loudest, 0.0f);
}

// Offsets out of order or past the period, entries that are no messages and
// a missing reader still render the whole period and crash nothing.
TEST(TimedMidiTest, HostileListsRenderThePeriod) {
    const TimedMidi events[] = {
        {50, {{0x90, 60, 100}}}, {10, {{0x90, 62, 100}}}, {1u << 31, {{0x90, 64, 100}}}};
    const auto read = [](const void* list, std::uint32_t i, TimedMidi& event) {
        if (i == 1) return false;
        event = static_cast<const TimedMidi*>(list)[i];
        return true;
    };
    PluginInstance* instance = createPluginInstance({});
    std::vector<float> left(128, NAN);
    renderWithTimedMidi(*instance, left.data(), nullptr, 128, events, 3, read);
    renderWithTimedMidi(*instance, left.data(), nullptr, 128, events, 3, nullptr);
    renderWithTimedMidi(*instance, left.data(), nullptr, 0, events, 3, read);
    for (float sample : left)
        EXPECT_TRUE(std::isfinite(sample));
    destroyPluginInstance(instance);
}

} // namespace
} // namespace t815::test
