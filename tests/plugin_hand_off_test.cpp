// Changes queued for the core take effect exactly as if each had been
// applied on its own: a batch of changes applied at the start of one block
// (where runs of program selects collapse) sounds bit for bit like the same
// changes with a block rendered after each.
#include "plugin_host_fixture.h"

namespace t815::test {
namespace {

struct Dice {
    std::uint32_t state;
    int roll(int n) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
    }
};

// One random host or MIDI change; notes are rare so that runs of program
// selects with and without held keys both occur.
void randomChange(AEffect* effect, Dice& dice, EventList& list) {
    auto midi = [&](int status, int d1, int d2) {
        effect->dispatcher(effect, effProcessEvents, 0, 0, list.build({midiEvent(status, d1, d2)}),
                           0.0f);
    };
    switch (dice.roll(10)) {
    case 0:
        midi(dice.roll(2) ? 0x90 : 0x80, 48 + dice.roll(8), 100);
        break;
    case 1:
    case 2:
    case 3:
        effect->dispatcher(effect, effSetProgram, 0, dice.roll(32), nullptr, 0.0f);
        break;
    case 4:
        midi(0xC0, dice.roll(32), 0);
        break;
    case 5:
        effect->setParameter(effect, dice.roll(5), dice.roll(11) / 10.0f);
        break;
    case 6:
        midi(0xB0, 1, dice.roll(128));
        break;
    case 7:
        midi(0xE0, dice.roll(128), dice.roll(128));
        break;
    default:
        effect->setParameter(effect, dice.roll(2), dice.roll(2) ? 1.0f : 0.0f);
        break;
    }
}

TEST_F(PluginTest, ABatchOfChangesSoundsLikeTheSameChangesOneBlockApart) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        AEffect* batched = pluginEntry()(nullptr);
        AEffect* stepwise = pluginEntry()(nullptr);
        ASSERT_TRUE(batched && stepwise);
        Dice a{seed}, b{seed};
        EventList list;
        for (int i = 0; i < 200; ++i) {
            randomChange(batched, a, list);
            randomChange(stepwise, b, list);
            settledInstance(stepwise); // applies this one change alone
            if (i % 50 == 49) {        // now and then both render, so voices sound
                EXPECT_TRUE(bitsEqual(renderOn(batched, 300).left, renderOn(stepwise, 300).left))
                    << seed << " " << i;
            }
        }
        EXPECT_TRUE(bitsEqual(renderOn(batched, 20000).left, renderOn(stepwise, 20000).left))
            << seed;
        for (AEffect* e : {batched, stepwise})
            e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    }
}

} // namespace
} // namespace t815::test
