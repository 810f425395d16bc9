#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QStringDecoder>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <memory>

namespace lecteurs {

namespace {

bool est(const xmlNode* n, const char* nom) {
    return n->type == XML_ELEMENT_NODE &&
           xmlStrcasecmp(n->name, reinterpret_cast<const xmlChar*>(nom)) == 0;
}

QString texteDe(xmlNode* n) {
    xmlChar* content = xmlNodeGetContent(n);
    const QString t = QString::fromUtf8(reinterpret_cast<const char*>(content)).simplified();
    xmlFree(content);
    return t;
}

void lireLigne(xmlNode* tr, FeuilleSource& f, int& ligne, const QString& path) {
    int colonne = 0;
    for (xmlNode* c = tr->children; c; c = c->next) {
        if (!est(c, "td") && !est(c, "th")) {
            continue;
        }
        const QString texte = texteDe(c);
        if (!texte.isEmpty()) {
            if (colonne >= kColonnesClasseur) {
                horsLimites(path, f.nom, ligne, colonne, kLignesClasseur, kColonnesClasseur);
            }
            f.definir(ligne, colonne,
                      codeErreur(texte) ? Cellule::deErreur(texte) : Cellule::deTexte(texte));
        }
        int span = 1;
        if (xmlChar* attr = xmlGetProp(c, reinterpret_cast<const xmlChar*>("colspan"))) {
            span = std::clamp(QByteArray(reinterpret_cast<const char*>(attr)).trimmed().toInt(), 1,
                              1000);
            xmlFree(attr);
        }
        colonne = std::min(colonne + span, kColonnesClasseur + 1000);
    }
    ++ligne;
}

void lireTable(xmlNode* table, FeuilleSource& f, const QString& path) {
    int ligne = 0;
    for (xmlNode* c = table->children; c; c = c->next) {
        if (est(c, "tr")) {
            lireLigne(c, f, ligne, path);
        } else if (est(c, "thead") || est(c, "tbody") || est(c, "tfoot")) {
            for (xmlNode* tr = c->children; tr; tr = tr->next) {
                if (est(tr, "tr")) {
                    lireLigne(tr, f, ligne, path);
                }
            }
        }
    }
}

void chercherTables(xmlNode* n, Classeur& classeur, const QString& path) {
    for (; n; n = n->next) {
        if (est(n, "table")) {
            FeuilleSource f;
            f.nom = QStringLiteral("Tableau %1").arg(classeur.feuilles.size() + 1);
            lireTable(n, f, path);
            f.compacter();
            classeur.feuilles.append(std::move(f));
        }
        // Tables inside a cell of another table are tables of their own too.
        chercherTables(n->children, classeur, path);
    }
}

}  // namespace

Classeur lireHtml(const QByteArray& contenu, const QString& path) {
    // A page that names no encoding and is valid UTF-8 is read as UTF-8, not Latin-1.
    const char* codage = nullptr;
    if (!contenu.left(4096).toLower().contains("charset")) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        (void)utf8(contenu);
        codage = utf8.hasError() ? "windows-1252" : "UTF-8";
    }
    const std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
        htmlReadMemory(
            contenu.constData(), static_cast<int>(contenu.size()), nullptr, codage,
            HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET),
        xmlFreeDoc);
    if (!doc) {
        throw ImportError(nomFichier(path) + QStringLiteral(" n'est pas une page HTML lisible."));
    }
    Classeur classeur;
    chercherTables(xmlDocGetRootElement(doc.get()), classeur, path);
    if (classeur.feuilles.isEmpty()) {
        throw ImportError(nomFichier(path) + QStringLiteral(" ne contient aucun tableau HTML."));
    }
    return classeur;
}

}  // namespace lecteurs
