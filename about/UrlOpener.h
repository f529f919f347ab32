#pragma once

#include <QUrl>
#include <functional>

// Hands a link to the desktop's default handler (mail program, web browser). The result is
// not checked: a link nobody handles shows nothing. Replaceable so that tests open nothing.
void OpenUrl(const QUrl& url);
void SetUrlOpener(std::function<void(const QUrl&)> opener);
