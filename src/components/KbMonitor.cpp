#include "components/KbMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QList>
#include <memory>

namespace {

struct KbMonitorState
{
    QString fileName = QStringLiteral("KbMonitor");
    std::unique_ptr<QLibrary> library;
    TKbMonitorHookProc registerHook = nullptr;
    TKbMonitorHookProc deregisterHook = nullptr;
    QList<KbMonitorWindow *> windows;
    bool loaded = false;
};

KbMonitorState &State()
{
    static KbMonitorState state;
    return state;
}

void FreeLibrary(KbMonitorState &s)
{
    // Our hold on it goes even when someone else keeps it mapped.
    if (s.library)
        s.library->unload();
    s.library.reset();
    s.registerHook = nullptr;
    s.deregisterHook = nullptr;
    s.loaded = false;
}

} // namespace

QString KbMonitorFileName()
{
    return State().fileName;
}

void SetKbMonitorFileName(const QString &fileName)
{
    State().fileName = fileName;
}

bool LoadKbMonitor()
{
    KbMonitorState &s = State();
    FreeLibrary(s);

    // A missing library is normal: nothing is shown, the caller falls back.
    QStringList candidates;
    if (!s.fileName.contains(QLatin1Char('/')) && QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(s.fileName);
    candidates << s.fileName;
    for (const QString &name : candidates) {
        auto lib = std::make_unique<QLibrary>(name);
        if (lib->load()) {
            s.library = std::move(lib);
            break;
        }
    }
    if (!s.library)
        return false;
    s.registerHook = reinterpret_cast<TKbMonitorHookProc>(s.library->resolve("RegisterKeyboardHook"));
    s.deregisterHook =
        reinterpret_cast<TKbMonitorHookProc>(s.library->resolve("DeregisterKeyboardHook"));
    s.loaded = true;
    return true;
}

void UnloadKbMonitor()
{
    KbMonitorState &s = State();
    while (!s.windows.isEmpty())
        DeregisterKbWindow(s.windows.last());
    FreeLibrary(s);
}

bool KbMonitorLoaded()
{
    return State().loaded;
}

unsigned RegisterKbWindow(KbMonitorWindow *window)
{
    KbMonitorState &s = State();
    if (!s.registerHook)
        return 0;
    if (!s.windows.contains(window))
        s.windows.append(window);
    return s.registerHook(window);
}

void DeregisterKbWindow(KbMonitorWindow *window)
{
    KbMonitorState &s = State();
    if (!s.deregisterHook) {
        s.windows.removeAll(window);
        return;
    }
    s.windows.removeAll(window);
    s.deregisterHook(window);
}
