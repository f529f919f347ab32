#pragma once

#include <QString>

// Who makes Rowcart and where it lives on the web: the about window's links and the header of
// a generated script take these from here.
namespace ProductInfo {

inline const QString MakerCredit = QStringLiteral("(c) Rowcart developers,");
inline const QString MakerDisplayName = QStringLiteral("Rowcart developers");
inline const QString MakerMail = QStringLiteral("rowcart@example.org");
inline const QString WebAddress = QStringLiteral("http://www.example.org/rowcart/");

}  // namespace ProductInfo
