#pragma once

// The readers behind LecteurSource, one per library. Each throws ImportError.

#include "import/Classeur.h"

#include <QByteArray>
#include <QString>

namespace lecteurs {

enum class GenreOrcus { Xlsx, Ods, XmlExcel };

Classeur lireOrcus(const QString& path, GenreOrcus genre);
Classeur lireXls(const QString& path);
Classeur lireHtml(const QByteArray& contenu, const QString& path);
Classeur lireDBase(const QString& path);

/// "Le fichier « nom.ext »" for messages.
QString nomFichier(const QString& path);

}  // namespace lecteurs
