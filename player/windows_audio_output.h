// An audio output on Windows: a thread of its own renders the instance into
// the default render device, from open to close, as the instrument's audio
// thread. Two systems give one: WASAPI in shared mode (at the device mix's
// own rate and format) and waveOut (present everywhere, with more latency).
#pragma once

#include <string>

namespace t815 {

struct PluginInstance;
struct WasapiOutput;
struct WaveOutOutput;

// Each open sets the instance's sample rate to the device's and starts
// rendering; null with `error` (one line) when the system or the device
// cannot be opened. `lost` turns true once the device has gone away.
WasapiOutput* openWasapiOutput(PluginInstance& instance, std::string& error);
bool wasapiOutputLost(const WasapiOutput* output);
void closeWasapiOutput(WasapiOutput* output);

WaveOutOutput* openWaveOutOutput(PluginInstance& instance, std::string& error);
bool waveOutOutputLost(const WaveOutOutput* output);
void closeWaveOutOutput(WaveOutOutput* output);

} // namespace t815
