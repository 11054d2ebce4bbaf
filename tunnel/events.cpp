#include "tunnel/events.h"

#include "console/window.h"

std::deque<SdkEvent> events;
std::mutex eventsMutex;
std::atomic<bool> accepting{true};
bool wakePending = false;

namespace {

// The bytes before the first NUL, but never more than the limit: a text without a NUL
// is not read past it.
std::string CopyText(const char* text) {
    if (!text) return std::string();
    std::size_t length = 0;
    while (length < EVENT_TEXT_LIMIT && text[length] != '\0') ++length;
    return std::string(text, length);
}

}  // namespace

void EventCallback(std::uint32_t number, const char* text) noexcept {
    if (!accepting.load()) return;
    try {
        std::lock_guard<std::mutex> lock(eventsMutex);
        // A full queue drops the event without a trace; the wake-up still stands.
        if (events.size() < EVENT_QUEUE_LIMIT) events.push_back(SdkEvent{number, CopyText(text)});
        // One wake-up covers every event queued until the window thread finds the queue empty:
        // a message per event would redraw once per event and could fill the posted-message
        // queue of the window thread.
        if (!wakePending) wakePending = PostMessageW(window, WM_EVENTS, 0, 0) != FALSE;
    } catch (...) {
        // Out of memory or a failed lock: the event is lost, as if the queue were full.
    }
}

std::deque<SdkEvent> TakeEvents() {
    std::deque<SdkEvent> batch;  // made before the lock: the exchange allocates nothing
    {
        std::lock_guard<std::mutex> lock(eventsMutex);
        batch.swap(events);
        wakePending = !batch.empty();
    }
    return batch;
}

void WakeAfterBatch() {
    // A steady stream of events would keep a posted WM_EVENTS always waiting, and posted
    // messages are handed out before the user's input: the console would never see a click.
    // A timer comes only after input and painting.
    if (SetTimer(window, EVENTS_TIMER, USER_TIMER_MINIMUM, nullptr)) return;
    if (PostMessageW(window, WM_EVENTS, 0, 0)) return;
    std::lock_guard<std::mutex> lock(eventsMutex);
    wakePending = false;
}

void DiscardEvents() {
    std::deque<SdkEvent> discarded;
    {
        std::lock_guard<std::mutex> lock(eventsMutex);
        discarded.swap(events);
    }
}
