// The bounded queue that carries library events to the window thread.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

constexpr unsigned WM_EVENTS = 0x8001;  // WM_APP + 1
// Identifies the timer that brings the window thread back for the events that arrived while
// it handled a batch.
constexpr unsigned EVENTS_TIMER = 1;
constexpr std::size_t EVENT_QUEUE_LIMIT = 4096;
constexpr std::size_t EVENT_TEXT_LIMIT = 16384;

struct SdkEvent {
    std::uint32_t number;
    std::string text;
};

extern std::deque<SdkEvent> events;
extern std::mutex eventsMutex;
extern std::atomic<bool> accepting;
// The window thread will take the queue without being woken: a WM_EVENTS is on its way, or
// the last batch was not empty and a follow-up is due. Guarded by eventsMutex.
extern bool wakePending;

// The library's event callback: queues a copy of the event and wakes the window thread.
// Never lets an exception out into the library.
void EventCallback(std::uint32_t number, const char* text) noexcept;

// Takes every pending event at once; the window thread's side of the queue. After a batch
// that was not empty the window thread must come back for more by itself (WakeAfterBatch):
// library threads wake it again only once it has found the queue empty.
std::deque<SdkEvent> TakeEvents();
// Called on the window thread after taking a batch that was not empty: brings it back for the
// next batch through EVENTS_TIMER, or through a posted WM_EVENTS when no timer can be set. When
// neither can be had, the wake-up is given back to the library threads, so that the next event
// wakes the window thread again instead of every later event waiting for good.
void WakeAfterBatch();
// Drops every pending event unseen.
void DiscardEvents();
