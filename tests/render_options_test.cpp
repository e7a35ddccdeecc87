// The renderer's command line: accepted forms, strict numbers, refusals with
// the option named, and the default output name.
#include "render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool parse(std::vector<std::string> arguments, RenderOptions& options, std::string& error) {
    return parseRenderOptions(arguments, options, error);
}

TEST(RenderOptions, DefaultsAndBothValueForms) {
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--plugin", "x.dll"}, options, error)) << error;
    EXPECT_EQ(options.sampleRate, 44100u);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.tailSeconds, 2.0);
    EXPECT_EQ(options.program, -1);
    EXPECT_FALSE(options.pcm16 || options.info || options.quiet);
    EXPECT_EQ(options.panelScale, 0.0); // none asked

    RenderOptions all;
    ASSERT_TRUE(parse({"--plugin=p.so", "--midi", "song.mid", "--out=o.wav", "--rate", "48000",
                       "--block=64", "--tail", "0", "--program", "31", "--param", "2=0.25",
                       "--param=4=1", "--pcm16", "--quiet", "--scale", "1.5"},
                      all, error))
        << error;
    EXPECT_EQ(all.pluginPath, "p.so");
    EXPECT_EQ(all.midiPath, "song.mid");
    EXPECT_EQ(all.outputPath, "o.wav");
    EXPECT_EQ(all.sampleRate, 48000u);
    EXPECT_EQ(all.blockSize, 64);
    EXPECT_EQ(all.tailSeconds, 0.0);
    EXPECT_EQ(all.program, 31);
    ASSERT_EQ(all.parameters.size(), 2u);
    EXPECT_EQ(all.parameters[0].index, 2);
    EXPECT_EQ(all.parameters[0].value, 0.25f);
    EXPECT_EQ(all.parameters[1].index, 4);
    EXPECT_EQ(all.parameters[1].value, 1.0f);
    EXPECT_TRUE(all.pcm16 && all.quiet);
    EXPECT_EQ(all.panelScale, 1.5);

    RenderOptions help;
    EXPECT_TRUE(parse({"--help"}, help, error)); // no plug-in needed
    EXPECT_TRUE(help.help);

    RenderOptions version;
    EXPECT_TRUE(parse({"--version"}, version, error)); // no plug-in needed either
    EXPECT_TRUE(version.version && !version.help);
}

TEST(RenderOptions, BadValuesAreRefusedNamingTheOption) {
    const std::vector<std::vector<std::string>> bad = {
        {"--plugin", "p", "--rate", "nan"},
        {"--plugin", "p", "--rate", "inf"},
        {"--plugin", "p", "--rate", "0"},
        {"--plugin", "p", "--rate", "-44100"},
        {"--plugin", "p", "--rate", "44100.5"},
        {"--plugin", "p", "--rate", "1e9"},
        {"--plugin", "p", "--rate", "44100x"},
        {"--plugin", "p", "--rate", " 44100"},
        {"--plugin", "p", "--block", "0"},
        {"--plugin", "p", "--block", "65537"},
        {"--plugin", "p", "--block", "99999999999999999999"},
        {"--plugin", "p", "--tail", "-1"},
        {"--plugin", "p", "--tail", "NaN"},
        {"--plugin", "p", "--tail", "1e308"},
        {"--plugin", "p", "--tail", "601"},
        {"--plugin", "p", "--program", "-1"},
        {"--plugin", "p", "--program", "two"},
        {"--plugin", "p", "--param", "1"},
        {"--plugin", "p", "--param", "1=nan"},
        {"--plugin", "p", "--param", "1=1.5"},
        {"--plugin", "p", "--param", "-1=0.5"},
        {"--plugin", "p", "--param", "=0.5"},
        {"--plugin", "p", "--scale", "0.5"},
        {"--plugin", "p", "--scale", "4.5"},
        {"--plugin", "p", "--scale", "nan"},
        {"--plugin", "p", "--rate"},
    };
    for (const std::vector<std::string>& arguments : bad) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(parse(arguments, options, error)) << arguments[2] << " " << arguments.back();
        EXPECT_EQ(error.rfind(arguments[2], 0), 0u) << error;
    }
}

TEST(RenderOptions, StructuralErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "--plugin PATH is required"},
        {{"--midi", "a.mid"}, "--plugin PATH is required"},
        {{"--plugin", "p", "--bogus"}, "unknown option '--bogus'"},
        {{"--plugin", "p", "stray"}, "unexpected argument 'stray'"},
        {{"--plugin", "p", "--pcm16=yes"}, "--pcm16 takes no value"},
        {{"--plugin", ""}, "--plugin needs a non-empty value"},
        {{"--plugin", "p", "--out="}, "--out needs a non-empty value"},
    };
    for (const auto& c : cases) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(parse(c.first, options, error));
        EXPECT_EQ(error, c.second);
    }
}

TEST(RenderOptions, DefaultOutputFollowsTheMidiFile) {
    RenderOptions options;
    EXPECT_EQ(defaultOutputPath(options), "t815-demo.wav");
    options.midiPath = "songs/tune.mid";
    EXPECT_EQ(defaultOutputPath(options), "songs/tune.wav");
    options.midiPath = "my.songs/tune";
    EXPECT_EQ(defaultOutputPath(options), "my.songs/tune.wav");
    options.midiPath = "dir\\.hidden";
    EXPECT_EQ(defaultOutputPath(options), "dir\\.hidden.wav");
    options.outputPath = "chosen.wav";
    EXPECT_EQ(defaultOutputPath(options), "chosen.wav");
}

} // namespace
