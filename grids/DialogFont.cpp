#include "grids/DialogFont.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace {

// The longest caption on the narrowest tool button (76 pixels less its frame and some air).
const char* const WidestCaption = "CommitUpdate";
const int CaptionRoom = 68;
const int NarrowestStretch = 70;

}  // namespace

QFont DialogFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    const int needed = QFontMetrics(font).horizontalAdvance(QLatin1String(WidestCaption));
    if (needed > CaptionRoom)
        font.setStretch(qMax(NarrowestStretch, 100 * CaptionRoom / needed));
    return font;
}
