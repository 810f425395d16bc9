#include "db/Connection.h"

#include "db/FbInternal.h"
#include "db/Transaction.h"

#include <QFile>

namespace db {

using namespace Firebird;

namespace {

IXpbBuilder* makeDpb(ThrowStatusWrapper& st) {
    IXpbBuilder* dpb = fb::util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, Connection::kUser);
    dpb->insertString(&st, isc_dpb_password, Connection::kPassword);
    dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
    return dpb;
}

}  // namespace

Connection::Connection() = default;

Connection::~Connection() {
    close();
}

void Connection::open() {
    if (m_attachment) {
        return;
    }
    const QByteArray name = QFile::encodeName(m_databaseName);
    m_attachment = fb::call([&](ThrowStatusWrapper& st) {
        IXpbBuilder* dpb = makeDpb(st);
        IProvider* provider = fb::master()->getDispatcher();
        IAttachment* att = nullptr;
        try {
            att = provider->attachDatabase(&st, name.constData(), dpb->getBufferLength(&st),
                                           dpb->getBuffer(&st));
        } catch (...) {
            dpb->dispose();
            provider->release();
            throw;
        }
        dpb->dispose();
        provider->release();
        return att;
    });
    ++m_generation;
    m_lost = false;
}

void Connection::close() {
    if (!m_attachment) {
        return;
    }
    if (m_defaultTransaction && m_defaultTransaction->isActive()) {
        try {
            m_defaultTransaction->commit();
        } catch (const DatabaseError&) {
            // The engine rolls back what it could not commit when it detaches; nothing
            // else can be done on the way out.
            m_defaultTransaction->rollback();
        }
    }
    if (!m_attachment) {
        return;  // lost while committing
    }
    if (m_defaultTransaction) {
        // Its handle belongs to the attachment about to go.
        m_defaultTransaction->abandon();
    }
    try {
        fb::call([&](ThrowStatusWrapper& st) { m_attachment->detach(&st); });
    } catch (const DatabaseError&) {
        m_attachment->release();
    }
    m_attachment = nullptr;
}

void Connection::dropLostAttachment() {
    if (!m_attachment) {
        return;
    }
    m_attachment->release();
    m_attachment = nullptr;
    m_lost = true;
}

void Connection::createDatabase(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    fb::call([&](ThrowStatusWrapper& st) {
        IXpbBuilder* dpb = makeDpb(st);
        dpb->insertInt(&st, isc_dpb_page_size, 8192);
        dpb->insertString(&st, isc_dpb_set_db_charset, "WIN1252");
        IProvider* provider = fb::master()->getDispatcher();
        try {
            IAttachment* att = provider->createDatabase(
                &st, name.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
            att->detach(&st);
        } catch (...) {
            dpb->dispose();
            provider->release();
            throw;
        }
        dpb->dispose();
        provider->release();
    });
}

}  // namespace db
