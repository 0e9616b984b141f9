#pragma once
// The optional keyboard-monitor library: a shared library outside the
// program that tells registered windows about every change of a lock key.
// The status bar loads it only when asked to, and works without it.
//
// What the library exports (C linkage, looked up by name):
//   unsigned RegisterKeyboardHook(KbMonitorWindow *window);
//       returns the message number the library will send to that window;
//       from then on, at every lock-key change, it calls
//       window->Send(window, message, virtualKey, newToggleState & 1).
//       Send may be called from any thread.
//   unsigned DeregisterKeyboardHook(KbMonitorWindow *window);
//       ends it; the result is not used.
#include <QString>
#include <cstdint>

extern "C" {
// What the program hands the library as a window handle.
struct KbMonitorWindow
{
    void (*Send)(KbMonitorWindow *window, unsigned message, std::uintptr_t wParam,
                 std::intptr_t lParam);
};
typedef unsigned (*TKbMonitorHookProc)(KbMonitorWindow *window);
}

// The library's name; without a folder it is looked for beside the program
// first, then where the system looks for shared libraries ("KbMonitor" finds
// libKbMonitor.so).
QString KbMonitorFileName();
void SetKbMonitorFileName(const QString &fileName);

// Loads the library (a library still held is freed first); true when it
// loaded. Entry points it lacks count as absent: their calls are skipped.
bool LoadKbMonitor();
// Deregisters every registered window, the last first, and frees the library.
void UnloadKbMonitor();
bool KbMonitorLoaded();

// Register or deregister a window with the library; nothing happens (and
// RegisterKbWindow gives 0) when the entry point is absent.
unsigned RegisterKbWindow(KbMonitorWindow *window);
void DeregisterKbWindow(KbMonitorWindow *window);
