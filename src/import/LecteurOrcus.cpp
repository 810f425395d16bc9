#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <ixion/formula_result.hpp>
#include <ixion/model_context.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xls_xml.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>

#include <memory>

namespace lecteurs {

namespace {

namespace ss = orcus::spreadsheet;

bool formatDeDate(const ss::styles& styles, std::size_t xf) {
    const ss::cell_format_t* format = styles.get_cell_format(xf);
    if (!format) {
        return false;
    }
    const ss::number_format_t* nf = styles.get_number_format(format->number_format);
    if (!nf) {
        return false;
    }
    const std::size_t id = nf->identifier;
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47)) {
        return true;
    }
    QString nu;
    bool cite = false;
    for (const char c : nf->format_string) {
        if (c == '"') {
            cite = !cite;
        } else if (!cite) {
            nu += QChar::fromLatin1(c).toLower();
        }
    }
    static const QRegularExpression crochets(QStringLiteral("\\[[^\\]]*\\]"));
    nu.remove(crochets);
    return nu.contains(u'd') || nu.contains(u'y');
}

Cellule nombreOuDate(double v, bool date) {
    if (!date || v < 0 || v >= 2958466) {
        return Cellule::deNombre(v);
    }
    const qint64 jours = static_cast<qint64>(v);
    const qint64 secondes = qRound64((v - static_cast<double>(jours)) * 86400.0);
    return Cellule::deDate(
        QDateTime(QDate(1899, 12, 30).addDays(jours), QTime(0, 0)).addSecs(secondes));
}

}  // namespace

Classeur lireOrcus(const QString& path, GenreOrcus genre) {
    auto doc = std::make_unique<ss::document>(ss::range_size_t{1048576, 16384});
    ss::import_factory factory{*doc};
    try {
        std::unique_ptr<orcus::iface::import_filter> filtre;
        switch (genre) {
            case GenreOrcus::Xlsx:
                filtre = std::make_unique<orcus::orcus_xlsx>(&factory);
                break;
            case GenreOrcus::Ods:
                filtre = std::make_unique<orcus::orcus_ods>(&factory);
                break;
            case GenreOrcus::XmlExcel:
                filtre = std::make_unique<orcus::orcus_xls_xml>(&factory);
                break;
        }
        filtre->read_file(QFile::encodeName(path).toStdString());
        doc->recalc_formula_cells();
    } catch (const std::exception& e) {
        throw ImportError(QStringLiteral("%1 est endommagé ou n'est pas dans le format choisi "
                                         "(%2).")
                              .arg(nomFichier(path), QString::fromLocal8Bit(e.what())));
    }

    const ixion::model_context& cx = doc->get_model_context();
    const ss::styles& styles = doc->get_styles();
    // Many cells share few formats: each format is looked at once.
    QHash<std::size_t, bool> datesParFormat;
    auto estDate = [&](std::size_t xf) {
        auto it = datesParFormat.constFind(xf);
        if (it == datesParFormat.constEnd()) {
            it = datesParFormat.insert(xf, formatDeDate(styles, xf));
        }
        return *it;
    };
    Classeur classeur;
    for (std::size_t i = 0; i < doc->get_sheet_count(); ++i) {
        const ss::sheet* sh = doc->get_sheet(static_cast<ss::sheet_t>(i));
        FeuilleSource f;
        const std::string_view nom = doc->get_sheet_name(static_cast<ss::sheet_t>(i));
        f.nom = QString::fromUtf8(nom.data(), static_cast<qsizetype>(nom.size()));
        const ixion::abs_range_t range = sh->get_data_range();
        if (range.valid() && range.first.row >= 0 && range.first.column >= 0) {
            for (ixion::row_t r = range.first.row; r <= range.last.row; ++r) {
                for (ixion::col_t c = range.first.column; c <= range.last.column; ++c) {
                    const ixion::abs_address_t a(static_cast<ixion::sheet_t>(i), r, c);
                    Cellule cell;
                    switch (cx.get_celltype(a)) {
                        case ixion::celltype_t::string: {
                            const std::string_view s = cx.get_string_value(a);
                            cell = Cellule::deTexte(
                                QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
                            break;
                        }
                        case ixion::celltype_t::numeric:
                            cell = nombreOuDate(cx.get_numeric_value(a),
                                                estDate(sh->get_cell_format(r, c)));
                            break;
                        case ixion::celltype_t::boolean:
                            cell = Cellule::deBooleen(cx.get_boolean_value(a));
                            break;
                        case ixion::celltype_t::formula: {
                            const ixion::formula_result res = cx.get_formula_result(a);
                            switch (res.get_type()) {
                                case ixion::formula_result::result_type::value:
                                    cell = nombreOuDate(res.get_value(),
                                                        estDate(sh->get_cell_format(r, c)));
                                    break;
                                case ixion::formula_result::result_type::string:
                                    cell =
                                        Cellule::deTexte(QString::fromStdString(res.get_string()));
                                    break;
                                default:
                                    cell = Cellule::deTexte(QStringLiteral("#ERREUR"));
                                    break;
                            }
                            break;
                        }
                        default:
                            continue;
                    }
                    f.definir(r, c, cell);
                }
            }
        }
        f.compacter();
        classeur.feuilles.append(std::move(f));
    }
    return classeur;
}

QString nomFichier(const QString& path) {
    return QStringLiteral("Le fichier « %1 »").arg(QFileInfo(path).fileName());
}

}  // namespace lecteurs
