// What the CLAP checks share: an instance loaded afresh from the library
// (the entry initialised, the plug-in created by id and activated at a rate
// and largest block), notes and parameter changes delivered at their sample
// offsets block by block, the output judged and captured, and what the host
// noticed the plug-in doing wrong.
#pragma once

#include "hosted_plugin.h"
#include "validation.h"

#include <string>
#include <vector>

// Loads and activates a fresh instance and starts its processing. False
// with `error` set when any step is refused.
bool openClap(Validation& validation, HostedPlugin& plugin, double sampleRate, int maxBlock,
              std::string& error);
// Loaded and initialised only: inactive, as a host scans it.
bool loadClap(Validation& validation, HostedPlugin& plugin, std::string& error);

// A parameter change due at a frame of a render (the parameter's index).
struct ParameterChange {
    long long frame = 0;
    int index = 0;
    double value = 0.0;
};

// Renders `frames` frames in blocks of `blockSize`, each note and change in
// the block it falls into at its offset; `capture` receives every channel
// of the main output, one channel after the other. Blocks the plug-in
// answered CLAP_PROCESS_ERROR are counted in `processErrors`.
struct ClapRender {
    AudioStats stats;
    long processErrors = 0;
    std::vector<float> capture;
};

ClapRender renderClap(HostedPlugin& plugin, const std::vector<NoteEvent>& notes,
                      const std::vector<ParameterChange>& changes, long long frames, int blockSize,
                      bool capture = false);

// The render's problem as a sentence, or empty: process errors, then the
// audio's own.
std::string renderProblem(const ClapRender& render);

// The host's notes on misuse ("host: ..." messages) gathered since the last
// call, joined; the plug-in's own log lines are dropped.
std::string hostMisuse(HostedPlugin& plugin);

// The first frame where two captures differ, or -1.
long long firstDifference(const std::vector<float>& a, const std::vector<float>& b);

// Each CLAP family of checks; they run from main in this order.
void checkClapIdentity(Validation& validation);
void checkClapParameters(Validation& validation);
void checkClapState(Validation& validation);
void checkClapPorts(Validation& validation);
void checkClapLifecycle(Validation& validation);
void checkClapAudio(Validation& validation);
void checkClapGui(Validation& validation);
void checkClapRealtime(Validation& validation);
void checkClapThreads(Validation& validation);
void checkClapInstances(Validation& validation);
