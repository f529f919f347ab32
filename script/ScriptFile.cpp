#include "script/ScriptFile.h"

#include "data/Exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

namespace ScriptFile {

bool IsRichTextName(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
}

QByteArray PlainText(const QStringList& lines) {
    QStringEncoder encoder(QStringConverter::System);
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encoder.encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

QByteArray RichText(const QStringList& lines) {
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
        "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
        "\\pard\\plain\\f0\\fs16 ";
    for (const QString& line : lines) {
        for (const QChar c : line) {
            const ushort code = c.unicode();
            if (code == '\\' || code == '{' || code == '}') {
                rtf += '\\';
                rtf += static_cast<char>(code);
            } else if (code == '\t') {
                rtf += "\\tab ";
            } else if (code >= 32 && code < 127) {
                rtf += static_cast<char>(code);
            } else {
                // RTF takes a signed 16-bit code, followed by a stand-in for older readers.
                rtf += "\\u" + QByteArray::number(static_cast<short>(code)) + '?';
            }
        }
        rtf += "\\par\r\n";
    }
    rtf += "}\r\n";
    return rtf;
}

void Save(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    const QByteArray bytes = IsRichTextName(path) ? RichText(lines) : PlainText(lines);
    // Unbuffered, so that a write that falls short (a full disk) shows here: the save file's
    // commit does not notice when flushing its buffer falls short, and would replace the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

}  // namespace ScriptFile
