#pragma once

// The containers of workbooks, written byte by byte: zip packages (.xlsx, .ods) and compound
// files (.xls). The tests build their files with them, and so do the fuzz targets' harnesses.

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

namespace fichiers {

/// Appends @p v in little-endian order.
void ecrire16(QByteArray& b, quint16 v);
void ecrire32(QByteArray& b, quint32 v);

/// A zip archive of @p parts, stored without compression.
QByteArray zip(const QVector<QPair<QString, QByteArray>>& parts);
/// The parts of a zip that zip() wrote, in order.
QVector<QPair<QString, QByteArray>> parties(const QByteArray& zip);
/// @p zip with @p avant replaced by @p apres in its part @p part: what another tool, or a
/// hostile hand, writes into a package.
QByteArray modifierPartie(const QByteArray& zip, const QString& part, const QByteArray& avant,
                          const QByteArray& apres);

/// One BIFF record: its type, its size, its data.
QByteArray enregistrement(quint16 type, const QByteArray& donnees);
/// A compound file holding @p flux as its stream @p nom ("Book" for Excel 5 and 95).
QByteArray fichierCompose(const QByteArray& flux, const QString& nom = QStringLiteral("Workbook"));

}  // namespace fichiers
