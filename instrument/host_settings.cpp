// Recording queued changes in the settings the host and the panel read: each
// value lands with the queue position of its change, so the latest change
// wins however the threads race (host_settings.h).
#include "host_settings.h"

#include "instrument_facts.h"
#include "plugin_instance.h"
#include "program_select.h"

namespace t815 {

namespace {

std::uint32_t bitsOfInt(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

void recordChange(PluginInstance& instance, const ShellChange& change, std::uint32_t position) {
    HostSettings& settings = instance.hostSettings;
    const std::atomic<std::uint32_t>& latest = instance.changes.reserved;
    auto store = [&](VersionedValue& value, std::uint32_t bits) {
        storeIfNewer(value, position, bits, latest);
    };
    switch (change.kind) {
    case ChangeKind::modWheel:
        store(settings.modWheel, bitsOf(change.value));
        break;
    case ChangeKind::programSelect: {
        const std::int32_t number = instance.core.programNumbers[change.arg];
        const ProgramDigits digits = digitsOfProgram(number);
        const ProgramSwitches switches = switchesOfProgram(instance.core, number);
        store(settings.currentProgramIndex, bitsOfInt(change.arg));
        store(settings.programTens, bitsOfInt(digits.tens));
        store(settings.programUnits, bitsOfInt(digits.units));
        store(settings.unisonOn, switches.unisonOn ? 1 : 0);
        store(settings.filterOn, switches.filterOn ? 1 : 0);
        break;
    }
    case ChangeKind::unison:
        store(settings.unisonOn, bitsOfInt(change.arg));
        break;
    case ChangeKind::filter:
        store(settings.filterOn, bitsOfInt(change.arg));
        break;
    case ChangeKind::cutoffParam:
        store(settings.cutoffParam, bitsOf(change.value));
        break;
    case ChangeKind::resonance:
        store(settings.resonance, bitsOf(change.value));
        break;
    case ChangeKind::volume:
        store(settings.volume, bitsOf(change.value));
        break;
    case ChangeKind::pitchOffset:
        store(settings.pitchOffset, bitsOfInt(change.arg));
        break;
    case ChangeKind::noteOn:
    case ChangeKind::noteOff:
    case ChangeKind::pitchBend:
    case ChangeKind::sampleRate: // only the core renders with it
    case ChangeKind::resetVoices:
        break;
    }
}

} // namespace

void storeInitialSettings(HostSettings& settings, const PluginInstance& instance) {
    const SynthCore& core = instance.core;
    storeInitial(settings.currentProgramIndex, bitsOfInt(instance.currentProgramIndex));
    storeInitial(settings.programTens, bitsOfInt(instance.programTens));
    storeInitial(settings.programUnits, bitsOfInt(instance.programUnits));
    storeInitial(settings.unisonOn, core.unisonOn);
    storeInitial(settings.filterOn, core.filterOn);
    storeInitial(settings.cutoffParam, bitsOf(instance.cutoffParam));
    storeInitial(settings.resonance, bitsOf(core.resonance));
    storeInitial(settings.volume, bitsOf(instance.volume));
    storeInitial(settings.modWheel, bitsOf(instance.modWheel));
    storeInitial(settings.pitchOffset, bitsOfInt(core.pitchOffset));
}

void recordChanges(PluginInstance& instance, const ShellChange* changes, std::uint32_t count,
                   std::uint32_t firstPosition) {
    for (std::uint32_t i = 0; i < count; ++i)
        recordChange(instance, changes[i], firstPosition + i);
}

} // namespace t815
