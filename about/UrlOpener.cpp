#include "about/UrlOpener.h"

#include <QDesktopServices>

namespace {

std::function<void(const QUrl&)>& opener() {
    static std::function<void(const QUrl&)> instance;
    return instance;
}

}  // namespace

void OpenUrl(const QUrl& url) {
    if (opener())
        opener()(url);
    else
        QDesktopServices::openUrl(url);
}

void SetUrlOpener(std::function<void(const QUrl&)> open) {
    opener() = std::move(open);
}
