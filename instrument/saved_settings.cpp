// Saved settings read from hostSettings and restored through the change
// queue, like any other change from a host thread.
#include "saved_settings.h"

#include "hand_off.h"
#include "instrument_facts.h"
#include "parameters.h"
#include "plugin_instance.h"
#include "selected_program.h"

#include <cmath>

namespace t815 {

namespace {

bool within(float value, float low, float high) {
    return std::isfinite(value) && value >= low && value <= high;
}

} // namespace

SavedSettings readSavedSettings(const PluginInstance& instance) {
    const HostSettings& settings = instance.hostSettings;
    SavedSettings saved{};
    saved.programIndex = selectedProgramIndex(instance);
    saved.unisonOn = readBool(settings.unisonOn);
    saved.filterOn = readBool(settings.filterOn);
    saved.cutoffParam = readFloat(settings.cutoffParam);
    saved.resonance = readFloat(settings.resonance);
    saved.volume = readFloat(settings.volume);
    saved.pitchOffset = readInt(settings.pitchOffset);
    saved.modWheel = readFloat(settings.modWheel);
    return saved;
}

bool isValidSavedSettings(const SavedSettings& s) {
    return isProgramIndex(s.programIndex) &&
           within(s.cutoffParam, keptCutoffParam(0.0), keptCutoffParam(1.0)) &&
           within(s.resonance, keptResonance(0.0), keptResonance(1.0)) &&
           within(s.volume, 0.0f, 1.0f) && within(s.modWheel, 0.0f, 1.0f) &&
           s.pitchOffset >= -kMaxPitchOffset && s.pitchOffset <= kMaxPitchOffset;
}

void restoreSavedSettings(PluginInstance& instance, const SavedSettings& s) {
    const ShellChange run[] = {
        {ChangeKind::programSelect, s.programIndex, 0.0f},
        {ChangeKind::unison, s.unisonOn ? 1 : 0, 0.0f},
        {ChangeKind::filter, s.filterOn ? 1 : 0, 0.0f},
        {ChangeKind::cutoffParam, 0, s.cutoffParam},
        {ChangeKind::resonance, 0, s.resonance},
        {ChangeKind::volume, 0, s.volume},
        {ChangeKind::pitchOffset, s.pitchOffset, 0.0f},
        {ChangeKind::modWheel, 0, s.modWheel},
    };
    submitChanges(instance, run, sizeof run / sizeof run[0]);
    requestRepaint(instance);
}

} // namespace t815
