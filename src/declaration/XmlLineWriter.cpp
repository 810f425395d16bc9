#include "declaration/XmlLineWriter.h"

#include "declaration/DeclarationError.h"

#include <QDir>
#include <algorithm>

namespace {

// Room kept beyond a block's size, so that a line of usual length never has to wait for
// the block to grow.
constexpr qsizetype kRoom = 16 * 1024;

}  // namespace

XmlLineWriter::XmlLineWriter(const QString& path) : m_path(path), m_file(path) {
    // Never write in place: a failure must not leave a half-written declaration.
    m_file.setDirectWriteFallback(false);
    m_buffer.resize(kBlockSize + kRoom);
}

XmlLineWriter::XmlLineWriter() : m_toFile(false) {
    m_buffer.resize(kBlockSize + kRoom);
}

void XmlLineWriter::grow(qsizetype bytes) {
    m_buffer.resize(std::max(m_used + bytes, 2 * m_buffer.size()));
}

XmlLineWriter::~XmlLineWriter() {
    discard();
}

void XmlLineWriter::open() {
    if (!m_toFile) {
        m_open = true;
        return;
    }
    // The lines are gathered in blocks already: no second buffer in the device.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fail(QStringLiteral("Impossible de créer le fichier « %1 »"));
    }
    m_open = true;
}

void XmlLineWriter::appendUtf8(QStringView text) {
    // Encoded straight into the block, without a temporary array per value.
    char* const start = reserve(m_encoder.requiredSpace(text.size()));
    m_used += m_encoder.appendToBuffer(start, text) - start;
}

void XmlLineWriter::appendEscaped(QStringView value) {
    // The rules of XmlValueForms::escapeText and UTF-8 in one pass over the value: the
    // longest form of one UTF-16 unit is an entity of five bytes, a pair of surrogates
    // gives four bytes for two units.
    const qsizetype n = value.size();
    char* const start = reserve(5 * n);
    char* out = start;
    const char16_t* const text = value.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            switch (c) {
                case u'&':
                    std::memcpy(out, "&amp;", 5);
                    out += 5;
                    break;
                case u'<':
                    std::memcpy(out, "&lt;", 4);
                    out += 4;
                    break;
                case u'>':
                    std::memcpy(out, "&gt;", 4);
                    out += 4;
                    break;
                case u'\r':
                    // CR LF, a lone CR and a lone LF all end a line the way the file does.
                    if (i + 1 < n && text[i + 1] == u'\n') {
                        ++i;
                    }
                    [[fallthrough]];
                case u'\n':
                    *out++ = '\r';
                    *out++ = '\n';
                    break;
                default:
                    // XML 1.0 admits tab among the control characters, and no other.
                    if (c >= 0x20 || c == u'\t') {
                        *out++ = static_cast<char>(c);
                    }
            }
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            // A pair gives its character; an unpaired surrogate is left out.
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1])) {
                const char32_t u = QChar::surrogateToUcs4(c, text[++i]);
                *out++ = static_cast<char>(0xF0 | (u >> 18));
                *out++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
                *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                *out++ = static_cast<char>(0x80 | (u & 0x3F));
            }
        } else if (c != 0xFFFE && c != 0xFFFF) {
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    m_used += out - start;
}

void XmlLineWriter::tag(QLatin1StringView name, bool closing) {
    char* out = reserve(name.size() + 3);
    *out++ = '<';
    if (closing) {
        *out++ = '/';
    }
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '>';
    m_used = out - m_buffer.constData();
}

void XmlLineWriter::line(QStringView text) {
    appendUtf8(text);
    lineEnd();
}

void XmlLineWriter::elementLine(QStringView text, QLatin1StringView name,
                                const DeclarationField* field,
                                const DeclarationField* alternative) {
    started(name, field, alternative);
    line(text);
}

void XmlLineWriter::start(QLatin1StringView name, const DeclarationField* field,
                          const DeclarationField* alternative) {
    started(name, field, alternative);
    tag(name, false);
    append("\r\n");
}

void XmlLineWriter::end(QLatin1StringView name) {
    tag(name, true);
    lineEnd();
}

void XmlLineWriter::element(QLatin1StringView name, const QString& value,
                            const DeclarationField* field, const DeclarationField* alternative) {
    started(name, field, alternative);
    tag(name, false);
    appendEscaped(value);
    tag(name, true);
    lineEnd();
}

void XmlLineWriter::flushBuffer() {
    if (m_used == 0) {
        return;
    }
    if (!m_open) {
        fail(QStringLiteral("Impossible d'écrire le fichier « %1 »"));
    }
    if (m_toFile && m_file.write(m_buffer.constData(), m_used) != m_used) {
        fail(QStringLiteral("Impossible d'écrire le fichier « %1 »"));
    }
    if (m_observer) {
        // The block goes to the check as it is; an array of the observer's comes back.
        m_observer->blockWritten(m_buffer, m_used);
        if (m_buffer.size() < kBlockSize + kRoom) {
            m_buffer.resize(kBlockSize + kRoom);
        }
    }
    m_used = 0;
}

void XmlLineWriter::commit() {
    flushBuffer();
    if (!m_toFile) {
        m_open = false;
        return;
    }
    // QSaveFile flushes the data to disk before it renames the temporary file.
    if (!m_file.commit()) {
        m_open = false;
        fail(QStringLiteral("Impossible d'enregistrer le fichier « %1 »"));
    }
    m_open = false;
}

void XmlLineWriter::discard() {
    m_used = 0;
    if (m_open && !m_toFile) {
        m_open = false;
        return;
    }
    if (m_open) {
        m_file.cancelWriting();
        // Without commit() the temporary file is removed and the final name left alone.
        m_file.commit();
        m_open = false;
    }
}

void XmlLineWriter::fail(const QString& what) {
    const QString reason = m_file.errorString();
    discard();
    QString message = what.arg(QDir::toNativeSeparators(m_path));
    if (!reason.isEmpty()) {
        message += QStringLiteral(" : ") + reason;
    }
    throw DeclarationError(message + u'.');
}
