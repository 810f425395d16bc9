#pragma once

#include "declaration/ElementSource.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>
#include <cstring>

/**
 * Writes the declaration file line by line: UTF-8 without byte-order mark, carriage
 * return and line feed after every line, the last one included.
 *
 * The lines go to a temporary file in the target folder, which takes the final name
 * only in commit(), once everything is written and flushed to disk. Until then a file
 * of that name keeps its former content; a writer destroyed without commit() leaves
 * nothing behind. Every failure throws DeclarationError with a French message.
 *
 * An observer, when set, sees the source of every element as its start tag is written
 * and every block of bytes before it reaches the file; a writer made without a path
 * hands the document to the observer only. Element names are string literals: the
 * observer keeps their address.
 */
class XmlLineWriter {
public:
    /// @p path is the final name of the file; nothing is created before open().
    explicit XmlLineWriter(const QString& path);
    /// A writer without a file: the document goes to the observer only.
    XmlLineWriter();
    ~XmlLineWriter();
    XmlLineWriter(const XmlLineWriter&) = delete;
    XmlLineWriter& operator=(const XmlLineWriter&) = delete;

    /// Must outlive the writer's last write; null for none.
    void setObserver(XmlDocumentObserver* observer) { m_observer = observer; }

    /// Creates the temporary file beside the final one (nothing without a path).
    void open();

    /// The page and line number of the row whose elements follow (0 outside a list).
    void setRow(DeclarationPage page, int lg) {
        m_page = static_cast<qint32>(page);
        m_lg = lg;
    }

    /// One line as it is, followed by CR LF, holding no start tag. The text must already
    /// be escaped.
    void line(QStringView text);
    /// One line as it is that holds the start tag of @p name and nothing else that starts.
    void elementLine(QStringView text, QLatin1StringView name,
                     const DeclarationField* field = nullptr,
                     const DeclarationField* alternative = nullptr);
    /// The start tag of a container alone on its line: <name>.
    void start(QLatin1StringView name, const DeclarationField* field = nullptr,
               const DeclarationField* alternative = nullptr);
    /// The end tag of a container alone on its line: </name>.
    void end(QLatin1StringView name);
    /// <name>value</name>, the value escaped; an empty value gives <name></name>.
    void element(QLatin1StringView name, const QString& value,
                 const DeclarationField* field = nullptr,
                 const DeclarationField* alternative = nullptr);

    /// Hands what is gathered to the observer and the file.
    void flush() { flushBuffer(); }
    /// Writes what remains, flushes it to disk and gives the file its final name.
    void commit();
    /// Drops the temporary file; an earlier file of the final name stays as it was.
    void discard();

    const QString& path() const { return m_path; }

private:
    void flushBuffer();
    void started(QLatin1StringView name, const DeclarationField* field,
                 const DeclarationField* alternative) {
        if (m_observer) {
            m_observer->elementStarted({name.data(), m_lg, m_page, field, alternative});
        }
    }
    void appendUtf8(QStringView text);
    /// Room for @p bytes more at the end of the block; the block grows only for a value
    /// longer than the room kept beyond its size.
    char* reserve(qsizetype bytes) {
        if (m_used + bytes > m_buffer.size()) {
            grow(bytes);
        }
        return m_buffer.data() + m_used;
    }
    void grow(qsizetype bytes);
    void append(const char* data, qsizetype size) {
        std::memcpy(reserve(size), data, size);
        m_used += size;
    }
    template <qsizetype N>
    void append(const char (&literal)[N]) {
        append(literal, N - 1);
    }
    /// <name> or </name>, without line end.
    void tag(QLatin1StringView name, bool closing);
    /// @p value escaped as an element's text and encoded in UTF-8, in one pass.
    void appendEscaped(QStringView value);
    void lineEnd() {
        append("\r\n");
        if (m_used >= kBlockSize) {
            flushBuffer();
        }
    }
    [[noreturn]] void fail(const QString& what);

    // Lines are gathered and handed to the file in blocks: a declaration with many
    // transaction lines has millions of short lines.
    static constexpr qsizetype kBlockSize = 256 * 1024;

    QString m_path;
    QSaveFile m_file;
    // The block being filled: m_used bytes of it are written, the rest is room.
    QByteArray m_buffer;
    qsizetype m_used = 0;
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    bool m_open = false;
    bool m_toFile = true;
    XmlDocumentObserver* m_observer = nullptr;
    qint32 m_page = -1;
    qint32 m_lg = 0;
};
