#include "settings/WindowPlacement.h"

#include "settings/PropertyText.h"
#include "settings/SettingsStore.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace WindowPlacement {

namespace {

enum ShowCmd { SwNormal = 1, SwMinimized = 2, SwMaximized = 3 };
constexpr int RestoreToMaximized = 2;

QScreen* primaryScreen() {
    return QGuiApplication::primaryScreen();
}

int pixelsPerInch() {
    QScreen* screen = primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString fourIntegers(int a, int b, int c, int d) {
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QRect restoredRect(const QWidget* window) {
    const QRect normal = window->normalGeometry();
    return normal.isValid() ? normal : window->geometry();
}

// The placement text under the screen-sized name, else under the plain one; empty when neither
// holds one.
QString positionText(SettingsStore& store, const QString& name) {
    const QString sized = store.readString(sizedName(name), QString());
    return sized.isEmpty() ? store.readString(name, QString()) : sized;
}

bool isResizable(const QWidget* window) {
    return window->minimumSize() != window->maximumSize();
}

}  // namespace

QString sizedName(const QString& name) {
    const QScreen* screen = primaryScreen();
    const QSize size = screen ? screen->size() : QSize();
    return name + QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

void store(QWidget* window, SettingsStore& store) {
    const Qt::WindowStates state = window->windowState();
    int showCmd = SwNormal;
    if (state & Qt::WindowMinimized)
        showCmd = SwMinimized;
    else if (state & Qt::WindowMaximized)
        showCmd = SwMaximized;
    const int flags =
        (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized) ? RestoreToMaximized : 0;

    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const QString minMax =
        fourIntegers(-1, -1, frame.left() - client.left(), frame.top() - client.top());
    const QRect normal = restoredRect(window);
    const QString normPos =
        fourIntegers(normal.left(), normal.top(), normal.left() + normal.width(),
                     normal.top() + normal.height());

    store.writeInteger(QStringLiteral("Flags"), flags);
    store.writeInteger(QStringLiteral("ShowCmd"), showCmd);
    store.writeInteger(QStringLiteral("PixelsPerInch"), pixelsPerInch());
    store.writeString(sizedName(QStringLiteral("MinMaxPos")), minMax);
    store.writeString(QStringLiteral("MinMaxPos"), minMax);
    store.writeString(sizedName(QStringLiteral("NormPos")), normPos);
    store.writeString(QStringLiteral("NormPos"), normPos);
}

void load(QWidget* window, SettingsStore& store, Options options) {
    const QRect current = restoredRect(window);
    store.readInteger(QStringLiteral("Flags"), 0);

    const QString minMaxText = positionText(store, QStringLiteral("MinMaxPos"));
    PropertyText::positionWords(minMaxText, {0, 0, 0, 0});
    const QString normText = positionText(store, QStringLiteral("NormPos"));
    const QList<int> norm = PropertyText::positionWords(
        normText, {current.left(), current.top(), current.left() + current.width(),
                   current.top() + current.height()});

    const int storedPixelsPerInch =
        store.readInteger(QStringLiteral("PixelsPerInch"), pixelsPerInch());
    const bool positionFound = !minMaxText.isEmpty() || !normText.isEmpty();
    if ((options & fpPosition) && positionFound && storedPixelsPerInch == pixelsPerInch()) {
        const int left = norm[0];
        const int top = norm[1];
        int right = norm[2];
        int bottom = norm[3];
        if (!isResizable(window)) {
            right = left + current.width();
            bottom = top + current.height();
        }
        if (left < right)
            window->setGeometry(left, top, right - left, bottom - top);
    }

    const int showCmd = store.readInteger(QStringLiteral("ShowCmd"), 0);
    if (!(options & fpState))
        return;
    Qt::WindowStates state = Qt::WindowNoState;
    switch (showCmd) {
        case 2:
        case 6:
        case 7:
            // Shown normal first, minimised once the window is up.
            QTimer::singleShot(0, window, [window] { window->showMinimized(); });
            break;
        case 3:
            state = Qt::WindowMaximized;
            break;
        default:
            break;
    }
    window->setWindowState(state);
    window->update();
}

}  // namespace WindowPlacement
