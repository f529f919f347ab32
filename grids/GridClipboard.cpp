#include "grids/GridClipboard.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QRegularExpression>

namespace {

constexpr quint32 PrivateMagic = 0x52435231;  // "RCR1"

// On Windows, Qt reaches a named clipboard format through this form of MIME name.
QString clipboardName(const QString& format) {
#ifdef Q_OS_WIN
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(format);
#else
    return format;
#endif
}

QByteArray rtfEscaped(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const ushort code = c.unicode();
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code == '\t') {
            out += "\\tab ";
        } else if (code == '\n') {
            out += "\\line ";
        } else if (code == '\r') {
            continue;
        } else if (code < 0x80) {
            out += static_cast<char>(code);
        } else {
            // RTF wants signed 16-bit numbers; '?' is what a reader without Unicode shows.
            out += "\\u" + QByteArray::number(static_cast<qint16>(code)) + '?';
        }
    }
    return out;
}

}  // namespace

namespace GridClipboard {

QString privateFormat() {
    return QStringLiteral("application/x-rowcart-grid-rows");
}

QString csvFormat() {
    return clipboardName(QStringLiteral("Csv"));
}

QString rtfFormat() {
    return clipboardName(QStringLiteral("Rich Text Format"));
}

QString plainText(const ClipRows& rows) {
    QStringList lines;
    lines.reserve(rows.rowCount());
    for (const QStringList& cells : rows.texts)
        lines.append(cells.join(QLatin1Char('\t')));
    return lines.join(QStringLiteral("\r\n"));
}

QByteArray csvText(const ClipRows& rows) {
    QStringList lines;
    lines.reserve(rows.rowCount());
    for (const QStringList& cells : rows.texts) {
        QStringList quoted;
        quoted.reserve(cells.size());
        for (QString cell : cells)
            quoted.append(QLatin1Char('"') +
                          cell.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                          QLatin1Char('"'));
        lines.append(quoted.join(QLatin1Char(',')));
    }
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

QByteArray richText(const ClipRows& rows) {
    QByteArray out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\r\n";
    for (const QStringList& cells : rows.texts) {
        out += "\\trowd\\trgaph60";
        for (int i = 1; i <= cells.size(); ++i)
            out += "\\cellx" + QByteArray::number(i * 1800);
        out += "\r\n";
        for (const QString& cell : cells)
            out += "\\pard\\intbl " + rtfEscaped(cell) + "\\cell\r\n";
        out += "\\row\r\n";
    }
    out += "}";
    return out;
}

QByteArray privateData(const ClipRows& rows) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << PrivateMagic << rows.types << rows.texts << rows.values;
    return data;
}

bool fromPrivateData(const QByteArray& data, ClipRows& rows) {
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    in >> magic;
    if (magic != PrivateMagic)
        return false;
    ClipRows read;
    in >> read.types >> read.texts >> read.values;
    if (in.status() != QDataStream::Ok)
        return false;
    if (read.hasValues() && read.values.size() != read.texts.size())
        return false;
    rows = std::move(read);
    return true;
}

QMimeData* toMimeData(const ClipRows& rows) {
    auto* data = new QMimeData;
    data->setText(plainText(rows));
    data->setData(csvFormat(), csvText(rows));
    data->setData(rtfFormat(), richText(rows));
    data->setData(privateFormat(), privateData(rows));
    return data;
}

bool canPaste(const QMimeData* data) {
    return data && (data->hasFormat(privateFormat()) || data->hasText());
}

ClipRows fromPlainText(const QString& text) {
    ClipRows rows;
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    // A copy from a spreadsheet ends with a line break; it does not stand for an empty row.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (const QString& line : lines)
        rows.texts.append(line.split(QLatin1Char('\t')));
    return rows;
}

ClipRows fromMimeData(const QMimeData* data) {
    ClipRows rows;
    if (!data)
        return rows;
    if (data->hasFormat(privateFormat()) && fromPrivateData(data->data(privateFormat()), rows))
        return rows;
    if (data->hasText())
        return fromPlainText(data->text());
    return rows;
}

}  // namespace GridClipboard
