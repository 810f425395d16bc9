#include "declaration/XmlLineWriter.h"

#include "declaration/DeclarationError.h"
#include "declaration/XmlValueForms.h"

#include <QDir>

namespace {

// Lines are gathered and handed to the file in blocks: a declaration with many
// transaction lines has millions of short lines.
constexpr qsizetype kBlockSize = 256 * 1024;

}  // namespace

XmlLineWriter::XmlLineWriter(const QString& path) : m_path(path), m_file(path) {
    // Never write in place: a failure must not leave a half-written declaration.
    m_file.setDirectWriteFallback(false);
    m_buffer.reserve(kBlockSize + 4096);
}

XmlLineWriter::XmlLineWriter() : m_toFile(false) {
    m_buffer.reserve(kBlockSize + 4096);
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
    const qsizetype used = m_buffer.size();
    m_buffer.resize(used + m_encoder.requiredSpace(text.size()));
    char* const end = m_encoder.appendToBuffer(m_buffer.data() + used, text);
    m_buffer.resize(end - m_buffer.constData());
}

void XmlLineWriter::line(QStringView text) {
    appendUtf8(text);
    m_buffer += "\r\n";
    if (m_buffer.size() >= kBlockSize) {
        flushBuffer();
    }
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
    m_buffer += '<';
    m_buffer.append(name.data(), name.size());
    m_buffer += ">\r\n";
}

void XmlLineWriter::end(QLatin1StringView name) {
    m_buffer += "</";
    m_buffer.append(name.data(), name.size());
    m_buffer += ">\r\n";
    if (m_buffer.size() >= kBlockSize) {
        flushBuffer();
    }
}

void XmlLineWriter::element(QLatin1StringView name, const QString& value,
                            const DeclarationField* field, const DeclarationField* alternative) {
    started(name, field, alternative);
    m_buffer += '<';
    m_buffer.append(name.data(), name.size());
    m_buffer += '>';
    if (!value.isEmpty()) {
        appendUtf8(XmlValueForms::escapeText(value));
    }
    m_buffer += "</";
    m_buffer.append(name.data(), name.size());
    m_buffer += ">\r\n";
    if (m_buffer.size() >= kBlockSize) {
        flushBuffer();
    }
}

void XmlLineWriter::flushBuffer() {
    if (m_buffer.isEmpty()) {
        return;
    }
    if (!m_open) {
        fail(QStringLiteral("Impossible d'écrire le fichier « %1 »"));
    }
    if (m_observer) {
        m_observer->dataWritten(m_buffer.constData(), m_buffer.size());
    }
    if (m_toFile && m_file.write(m_buffer) != m_buffer.size()) {
        fail(QStringLiteral("Impossible d'écrire le fichier « %1 »"));
    }
    // Emptied but kept at its size: the next block reuses the memory.
    m_buffer.truncate(0);
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
    m_buffer.clear();
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
