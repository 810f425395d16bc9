#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

/**
 * Writes the declaration file line by line: UTF-8 without byte-order mark, carriage
 * return and line feed after every line, the last one included.
 *
 * The lines go to a temporary file in the target folder, which takes the final name
 * only in commit(), once everything is written and flushed to disk. Until then a file
 * of that name keeps its former content; a writer destroyed without commit() leaves
 * nothing behind. Every failure throws DeclarationError with a French message.
 */
class XmlLineWriter {
public:
    /// @p path is the final name of the file; nothing is created before open().
    explicit XmlLineWriter(const QString& path);
    ~XmlLineWriter();
    XmlLineWriter(const XmlLineWriter&) = delete;
    XmlLineWriter& operator=(const XmlLineWriter&) = delete;

    /// Creates the temporary file beside the final one.
    void open();

    /// One line as it is, followed by CR LF. The text must already be escaped.
    void line(QStringView text);
    /// The start tag of a container alone on its line: <name>.
    void start(QLatin1StringView name);
    /// The end tag of a container alone on its line: </name>.
    void end(QLatin1StringView name);
    /// <name>value</name>, the value escaped; an empty value gives <name></name>.
    void element(QLatin1StringView name, const QString& value);

    /// Writes what remains, flushes it to disk and gives the file its final name.
    void commit();
    /// Drops the temporary file; an earlier file of the final name stays as it was.
    void discard();

    const QString& path() const { return m_path; }

private:
    void flushBuffer();
    void appendUtf8(QStringView text);
    [[noreturn]] void fail(const QString& what);

    QString m_path;
    QSaveFile m_file;
    QByteArray m_buffer;
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    bool m_open = false;
};
