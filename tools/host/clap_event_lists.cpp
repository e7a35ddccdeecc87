// Slot storage, the ordered insertion, and the lists' callbacks.
#include "clap_event_lists.h"

#include <cstring>

namespace {

std::uint32_t CLAP_CALL inputSize(const clap_input_events* list) {
    return list && list->ctx
               ? static_cast<std::uint32_t>(static_cast<ClapInputList*>(list->ctx)->count)
               : 0;
}

const clap_event_header* CLAP_CALL inputGet(const clap_input_events* list, std::uint32_t index) {
    return list && list->ctx ? clapEventAt(*static_cast<ClapInputList*>(list->ctx), index)
                             : nullptr;
}

bool CLAP_CALL outputTryPush(const clap_output_events* list, const clap_event_header* event) {
    ClapOutputList* output = list ? static_cast<ClapOutputList*>(list->ctx) : nullptr;
    if (output == nullptr) return false;
    if (event == nullptr || event->size < sizeof(clap_event_header) ||
        event->size > kClapEventSlotBytes || output->count >= output->slots.size()) {
        ++output->refused;
        return false;
    }
    std::memcpy(output->slots[output->count++].bytes, event, event->size);
    return true;
}

const clap_event_header* headerOf(const ClapEventSlot& slot) {
    return reinterpret_cast<const clap_event_header*>(slot.bytes);
}

} // namespace

void initClapInputList(ClapInputList& list, std::size_t capacity) {
    list.slots.assign(capacity, ClapEventSlot{});
    list.count = 0;
    list.list = {&list, inputSize, inputGet};
}

void initClapOutputList(ClapOutputList& list, std::size_t capacity) {
    list.slots.assign(capacity, ClapEventSlot{});
    list.count = 0;
    list.refused = 0;
    list.list = {&list, outputTryPush};
}

bool pushClapEvent(ClapInputList& list, const clap_event_header& event) {
    if (event.size < sizeof(clap_event_header) || event.size > kClapEventSlotBytes ||
        list.count >= list.slots.size())
        return false;
    std::size_t at = list.count;
    while (at > 0 && headerOf(list.slots[at - 1])->time > event.time)
        --at;
    std::memmove(&list.slots[at + 1], &list.slots[at], (list.count - at) * sizeof(ClapEventSlot));
    std::memset(list.slots[at].bytes, 0, kClapEventSlotBytes);
    std::memcpy(list.slots[at].bytes, &event, event.size);
    ++list.count;
    return true;
}

const clap_event_header* clapEventAt(const ClapInputList& list, std::size_t index) {
    return index < list.count ? headerOf(list.slots[index]) : nullptr;
}

const clap_event_header* clapEventAt(const ClapOutputList& list, std::size_t index) {
    return index < list.count ? headerOf(list.slots[index]) : nullptr;
}

void clearClapEvents(ClapInputList& list) {
    list.count = 0;
}

void clearClapEvents(ClapOutputList& list) {
    list.count = 0;
}
