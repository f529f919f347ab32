#pragma once

#include <QList>
#include <QString>

class QWidget;
class SettingsStore;

// The main window's position, size and state in the settings: "Flags", "ShowCmd",
// "PixelsPerInch", "MinMaxPos(WxH)", "MinMaxPos", "NormPos(WxH)", "NormPos", as Qt reports them.
// Qt knows no minimised position and lets the window manager place a maximised window, so
// MinMaxPos holds -1,-1 for the one and minus the frame margins for the other, and is read
// back only to be validated.
namespace WindowPlacement {

enum Option { fpState = 1, fpPosition = 2 };
using Options = int;

// "NormPos" -> "NormPos(1024x768)" for the primary screen's size in pixels.
QString sizedName(const QString& name);

void store(QWidget* window, SettingsStore& store);
void load(QWidget* window, SettingsStore& store, Options options);

}  // namespace WindowPlacement
