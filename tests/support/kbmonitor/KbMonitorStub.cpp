// A keyboard-monitor library for the tests: it hands out one message number
// and reports the lock-key changes the test asks it to.
#include "components/KbMonitor.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<KbMonitorWindow *> windows;
const unsigned StubMessage = 0xC0DE;
} // namespace

extern "C" {

__attribute__((visibility("default"))) unsigned RegisterKeyboardHook(KbMonitorWindow *window)
{
    windows.push_back(window);
    return StubMessage;
}

__attribute__((visibility("default"))) unsigned DeregisterKeyboardHook(KbMonitorWindow *window)
{
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    return 0;
}

// Test side: a lock key changed; every registered window hears of it.
__attribute__((visibility("default"))) void StubToggleKey(unsigned virtualKey, int on)
{
    for (KbMonitorWindow *w : windows)
        w->Send(w, StubMessage, virtualKey, on ? 1 : 0);
}

__attribute__((visibility("default"))) int StubRegisteredWindows()
{
    return int(windows.size());
}
}
