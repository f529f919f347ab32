#include "tests/values/OracleText.h"

#include "data/Decimal.h"
#include "data/Temporal.h"

#include <QRegularExpression>
#include <charconv>

namespace {

// One value of the SELECT list as written: its form and its text.
struct Literal {
    enum Form { Null, Bare, Quoted, Date, Hex } form = Null;
    QString text;
};

class Reader {
public:
    explicit Reader(const QString& text) : m_text(text) {}

    bool at(const QString& word) const { return QStringView(m_text).mid(m_at).startsWith(word); }
    void skipBlanks() {
        while (m_at < m_text.size() && m_text[m_at].isSpace())
            ++m_at;
    }
    bool take(const QString& word) {
        skipBlanks();
        if (!at(word))
            return false;
        m_at += word.size();
        return true;
    }
    bool quoted(QString& value) {
        skipBlanks();
        if (!at(QStringLiteral("'")))
            return false;
        value.clear();
        for (++m_at; m_at < m_text.size(); ++m_at) {
            if (m_text[m_at] != QLatin1Char('\'')) {
                value += m_text[m_at];
            } else if (m_at + 1 < m_text.size() && m_text[m_at + 1] == QLatin1Char('\'')) {
                value += QLatin1Char('\'');
                ++m_at;
            } else {
                ++m_at;
                return true;
            }
        }
        return false;
    }
    bool literal(Literal& value) {
        skipBlanks();
        if (take(QStringLiteral("null"))) {
            value = {Literal::Null, {}};
            return true;
        }
        if (take(QStringLiteral("TO_DATE("))) {
            QString format;
            value.form = Literal::Date;
            return quoted(value.text) && take(QStringLiteral(",")) && quoted(format) &&
                   take(QStringLiteral(")"));
        }
        if (take(QStringLiteral("HEXTORAW("))) {
            value = {Literal::Hex, {}};
            QString part;
            do {
                if (!quoted(part))
                    return false;
                value.text += part;
            } while (take(QStringLiteral("||")));
            return take(QStringLiteral(")"));
        }
        if (at(QStringLiteral("'"))) {
            value.form = Literal::Quoted;
            return quoted(value.text);
        }
        const qsizetype start = m_at;
        while (m_at < m_text.size() && m_text[m_at] != QLatin1Char(',') && !m_text[m_at].isSpace())
            ++m_at;
        value = {Literal::Bare, m_text.mid(start, m_at - start)};
        return !value.text.isEmpty();
    }

private:
    const QString& m_text;
    qsizetype m_at = 0;
};

TimeStamp dayPattern(const QString& text, bool& ok) {
    static const QRegularExpression shape(
        QStringLiteral("^(\\d\\d)\\.(\\d\\d)\\.(\\d{4})(?: (\\d\\d):(\\d\\d):(\\d\\d))?$"));
    const auto m = shape.match(text);
    TimeStamp stamp;
    stamp.date = QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    stamp.usec = ((m.captured(4).toLongLong() * 60 + m.captured(5).toLongLong()) * 60 +
                  m.captured(6).toLongLong()) *
                 UsecPerSecond;
    ok = m.hasMatch() && stamp.date.isValid();
    return stamp;
}

// The ISO text a time stamp with a zone is written as.
TimeStamp isoStamp(const QString& text, bool& ok) {
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{4})-(\\d\\d)-(\\d\\d) "
                       "(\\d\\d):(\\d\\d):(\\d\\d)([+-])(\\d\\d):(\\d\\d)(?::(\\d\\d))?$"));
    const auto m = shape.match(text);
    TimeStamp stamp;
    stamp.date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    stamp.usec = ((m.captured(4).toLongLong() * 60 + m.captured(5).toLongLong()) * 60 +
                  m.captured(6).toLongLong()) *
                 UsecPerSecond;
    stamp.zoned = true;
    stamp.offset =
        (m.captured(8).toInt() * 3600 + m.captured(9).toInt() * 60 + m.captured(10).toInt()) *
        (m.captured(7) == QLatin1String("-") ? -1 : 1);
    ok = m.hasMatch() && stamp.date.isValid();
    return stamp;
}

QVariant valueOf(const ColumnSpec& column, const Literal& literal, bool& ok) {
    ok = true;
    if (literal.form == Literal::Null)
        return QVariant();
    if (literal.form == Literal::Hex) {
        const QByteArray bytes = QByteArray::fromHex(literal.text.toLatin1());
        ok = bytes.toHex().toUpper() == literal.text.toLatin1();
        return QVariant(bytes);
    }
    if (literal.form == Literal::Date) {
        const TimeStamp stamp = dayPattern(literal.text, ok);
        if (column.kind == Kind::Date)
            return QVariant(stamp.date);
        if (column.kind == Kind::Time) {
            ok = ok && stamp.date == QDate(1899, 12, 30);
            return QVariant::fromValue(stamp.time());
        }
        return QVariant::fromValue(stamp);
    }
    const QString& text = literal.text;
    switch (column.kind) {
        case Kind::Int16:
        case Kind::Int32:
        case Kind::Int64:
            return QVariant(text.toLongLong(&ok));
        case Kind::Bool:
            ok = text == QLatin1String("True") || text == QLatin1String("False");
            return QVariant(text == QLatin1String("True"));
        case Kind::Float8:
        case Kind::Float4: {
            const QByteArray latin = text.toLatin1();
            double value = 0;
            const auto read =
                std::from_chars(latin.constData(), latin.constData() + latin.size(), value);
            ok = read.ec == std::errc() && read.ptr == latin.constData() + latin.size();
            return QVariant(value);
        }
        case Kind::Decimal: {
            QString decimal;
            ok = Decimal::Normalize(text, decimal);
            return QVariant(decimal);
        }
        case Kind::Stamp:
        case Kind::ZonedStamp:
            if (literal.form == Literal::Quoted)
                return QVariant::fromValue(isoStamp(text, ok));
            break;
        default:
            break;
    }
    ok = literal.form == Literal::Quoted;
    return QVariant(text);
}

}  // namespace

QVector<ValueRow> ReadOracleStatements(const QVector<ScriptStatement>& statements,
                                       const QVector<ColumnSpec>& columns, QString& problems) {
    QVector<ValueRow> rows;
    for (const ScriptStatement& statement : statements) {
        const qsizetype select = statement.text.indexOf(QLatin1String("(SELECT "));
        const QString list = statement.text.mid(select + 8);
        Reader reader(list);
        ValueRow row;
        Literal literal;
        bool ok = select >= 0 && reader.literal(literal) && literal.form == Literal::Bare;
        row.id = literal.text.toLongLong();
        for (int i = 0; ok && i < columns.size(); ++i) {
            ok = reader.take(QStringLiteral(",")) && reader.literal(literal);
            if (ok)
                row.values.append(valueOf(columns[i], literal, ok));
        }
        if (ok && reader.take(QStringLiteral("FROM DUAL)")))
            rows.append(row);
        else
            problems += QStringLiteral("no Oracle statement: %1\n").arg(statement.text.left(300));
    }
    return rows;
}
