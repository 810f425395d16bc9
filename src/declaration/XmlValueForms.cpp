#include "declaration/XmlValueForms.h"

namespace {

// Blanks and control characters go at both ends of a trimmed value: descriptions typed
// in multi-line fields often end with a line break or a tab.
bool isTrimmable(QChar c) {
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

// XML 1.0 admits tab, line feed and carriage return among the control characters, and
// nothing of U+FFFE, U+FFFF or an unpaired surrogate. Line breaks are handled apart.
bool isForbidden(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
}

bool needsWork(const QString& text, bool attribute) {
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'&' || c == u'<' || c == u'>' || c == u'\r' || c == u'\n' || isForbidden(c) ||
            QChar::isSurrogate(c) || (attribute && c == u'"')) {
            return true;
        }
    }
    return false;
}

QString escape(const QString& text, bool attribute) {
    if (!needsWork(text, attribute)) {
        return text;
    }
    QString out;
    out.reserve(text.size() + 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
            case u'&':
                out += QLatin1StringView("&amp;");
                break;
            case u'<':
                out += QLatin1StringView("&lt;");
                break;
            case u'>':
                out += QLatin1StringView("&gt;");
                break;
            case u'"':
                if (attribute) {
                    out += QLatin1StringView("&quot;");
                } else {
                    out += QChar(c);
                }
                break;
            case u'\r':
                // CR LF, a lone CR and a lone LF all end a line the way the file does.
                if (i + 1 < n && text.at(i + 1) == u'\n') {
                    ++i;
                }
                out += QLatin1StringView("\r\n");
                break;
            case u'\n':
                out += QLatin1StringView("\r\n");
                break;
            default:
                if (isForbidden(c)) {
                    break;
                }
                if (QChar::isHighSurrogate(c)) {
                    if (i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                        out += QChar(c);
                        out += text.at(++i);
                    }
                    break;
                }
                if (QChar::isLowSurrogate(c)) {
                    break;
                }
                out += QChar(c);
        }
    }
    return out;
}

}  // namespace

QString XmlValueForms::asStored(const db::Value& value) {
    return value.toText();
}

QString XmlValueForms::trimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmable(text.at(begin))) {
        ++begin;
    }
    while (end > begin && isTrimmable(text.at(end - 1))) {
        --end;
    }
    if (begin == 0 && end == text.size()) {
        return text;
    }
    return text.mid(begin, end - begin);
}

QString XmlValueForms::trimmed(const db::Value& value) {
    return trimmed(value.toText());
}

bool XmlValueForms::isBlank(const db::Value& value) {
    if (value.isNull()) {
        return true;
    }
    const QString text = value.toText();
    for (const QChar c : text) {
        if (!isTrimmable(c)) {
            return false;
        }
    }
    return true;
}

QString XmlValueForms::year(const db::Value& value) {
    switch (value.type()) {
        case db::Value::Type::Null:
            return QString();
        case db::Value::Type::Integer:
        case db::Value::Type::Decimal:
            return QString::number(value.toInt());
        default:
            return trimmed(value.toText());
    }
}

QString XmlValueForms::date(const db::Value& value) {
    const QDate d = value.toDate();
    if (!d.isValid()) {
        return QString();
    }
    // Built from the numbers rather than through a locale, so that the administration
    // always receives its own form, 31/12/2023.
    return QStringLiteral("%1/%2/%3")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString XmlValueForms::roundedPadded(const db::Decimal& value, int width) {
    db::Decimal::Mantissa whole = value.roundedToInteger();
    const bool negative = whole < 0;
    if (negative) {
        whole = -whole;
    }
    QString digits = db::Decimal::mantissaToString(whole);
    if (digits.size() < width) {
        digits.prepend(QString(width - digits.size(), u'0'));
    }
    return negative ? u'-' + digits : digits;
}

QString XmlValueForms::amount(const db::Decimal& value) {
    return roundedPadded(value, 5);
}

QString XmlValueForms::amount(const db::Value& value) {
    return roundedPadded(value.toDecimal(), 5);
}

QString XmlValueForms::percentage(const db::Value& value) {
    return roundedPadded(value.toDecimal(), 4);
}

QString XmlValueForms::postalCode(const db::Value& value) {
    return roundedPadded(db::Decimal::fromInt(value.toInt()), 4);
}

QString XmlValueForms::escapeText(const QString& text) {
    return escape(text, false);
}

QString XmlValueForms::escapeAttribute(const QString& text) {
    return escape(text, true);
}
