#include "tunnel/events.h"
std::deque<SdkEvent> events;
std::mutex eventsMutex;
std::atomic<bool> accepting{true};
bool wakePending = false;
void EventCallback(std::uint32_t, const char*) {}
std::deque<SdkEvent> TakeEvents() { return {}; }
void DiscardEvents() {}
