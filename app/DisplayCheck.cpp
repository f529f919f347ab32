#include "app/DisplayCheck.h"

#include <QProcessEnvironment>
#include <QStringList>

bool HasDisplay(const QProcessEnvironment& env) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
        if (!env.value(QLatin1String(name)).isEmpty())
            return true;
    }
    // Qt tries each platform of the list in turn; any but X11 and Wayland (offscreen, minimal,
    // vnc, eglfs, linuxfb) needs no display server.
    const QStringList platforms =
        env.value(QStringLiteral("QT_QPA_PLATFORM")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& platform : platforms) {
        const QString name = platform.section(QLatin1Char(':'), 0, 0).trimmed();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("xcb")) &&
            !name.startsWith(QLatin1String("wayland")))
            return true;
    }
    return false;
#else
    Q_UNUSED(env);
    return true;
#endif
}
