// Every entry window on a laptop screen of 1366×768, and on 1920×1080 at 125 % (the test
// runs on an offscreen screen of either size): each field reached by Tab lies fully in view,
// no two captions overlap, dates show whole and lists keep five lines.

#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/DesktopApplication.h"
#include "app/TfRMMAIN.h"
#include "companies/Tfrmparamsociete.h"
#include "companies/Tfrmsocietes.h"
#include "data/DemoData.h"
#include "group/Tfrminfogroupe.h"
#include "operations/TFrmoperations.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/FormScrollArea.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestPortable : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_startFolder;

    /// The part of @p widget the user sees: its rectangle cut by every ancestor's (the
    /// viewport of a scroll area among them) and by the screen, in global coordinates.
    static QRect partVisible(const QWidget* widget) {
        QRect visible(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        for (const QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
            visible &= QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        }
        return visible & widget->screen()->availableGeometry();
    }

    static QString nom(const QWidget* w) {
        return QStringLiteral("%1 \"%2\" (%3)")
            .arg(QString::fromLatin1(w->metaObject()->className()), w->accessibleName(),
                 w->objectName());
    }

    /// Tabs through @p page from its first field and back to it; every field the focus
    /// reaches must show whole. Returns the fields reached.
    static QStringList tabuler(QWidget* page) {
        QWidget* premier = nullptr;
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
                !w->focusProxy()) {
                premier = w;
                break;
            }
        }
        if (!premier) {
            return {};
        }
        premier->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QStringList atteints;
        QWidget* courant = QApplication::focusWidget();
        for (int pas = 0; pas < 80 && courant; ++pas) {
            const QRect entier(courant->mapToGlobal(QPoint(0, 0)), courant->size());
            if (partVisible(courant) != entier) {
                QString chaine;
                for (const QWidget* w = courant->parentWidget(); w; w = w->parentWidget()) {
                    const QRect r(w->mapToGlobal(QPoint(0, 0)), w->size());
                    if (!r.contains(entier)) {
                        chaine += nom(w) + QStringLiteral(" %1,%2 %3x%4; ")
                                               .arg(r.x())
                                               .arg(r.y())
                                               .arg(r.width())
                                               .arg(r.height());
                    }
                }
                qWarning().noquote()
                    << "hors de vue:" << nom(courant) << entier << partVisible(courant) << chaine;
                return {QStringLiteral("HORS DE VUE: ") + nom(courant)};
            }
            atteints.append(nom(courant));
            QTest::keyClick(courant, Qt::Key_Tab);
            QCoreApplication::processEvents();
            courant = QApplication::focusWidget();
            if (courant == premier) {
                break;
            }
        }
        return atteints;
    }

    /// Where the text of @p libelle lies, in global coordinates, with a character's width on
    /// either side: a wrapped text may take the whole label.
    static QRect texte(const QLabel* libelle) {
        QRect r = libelle->contentsRect();
        if (!libelle->wordWrap()) {
            const QFontMetrics fm = libelle->fontMetrics();
            int largeur = 0;
            for (const QString& ligne : libelle->text().split(u'\n')) {
                largeur = std::max(largeur, fm.horizontalAdvance(ligne));
            }
            r = QStyle::alignedRect(libelle->layoutDirection(), libelle->alignment(),
                                    QSize(std::min(largeur, r.width()), r.height()), r);
        }
        r.translate(libelle->mapToGlobal(QPoint(0, 0)));
        // Two texts closer than two characters read as one ("France %Détention du Capital:").
        const int marge = libelle->fontMetrics().averageCharWidth() + 2;
        r &= partVisible(libelle);
        return r.isEmpty() ? r : r.adjusted(-marge, 0, marge, 0);
    }

    /// Captions of @p page whose texts overlap or touch, as "a / b".
    static QStringList chevauchements(QWidget* page) {
        QVector<QLabel*> libelles;
        for (QLabel* l : page->findChildren<QLabel*>()) {
            if (l->isVisible() && !l->text().trimmed().isEmpty() && !partVisible(l).isEmpty()) {
                libelles.append(l);
            }
        }
        QStringList resultat;
        for (int i = 0; i < libelles.size(); ++i) {
            for (int j = i + 1; j < libelles.size(); ++j) {
                if (texte(libelles[i]).intersects(texte(libelles[j]))) {
                    resultat.append(libelles[i]->text() + QStringLiteral(" / ") +
                                    libelles[j]->text());
                }
            }
        }
        return resultat;
    }

    /// Every page of @p fenetre (one per tab): tabbed through, captions compared.
    static void verifierFenetre(QWidget* fenetre) {
        QVERIFY(QTest::qWaitForWindowExposed(fenetre->window()));
        QVector<QWidget*> pages;
        QTabWidget* onglets = fenetre->findChild<QTabWidget*>();
        if (onglets && onglets->window() == fenetre->window()) {
            for (int i = 0; i < onglets->count(); ++i) {
                if (onglets->isTabEnabled(i)) {
                    pages.append(onglets->widget(i));
                }
            }
        } else {
            pages.append(fenetre);
        }
        for (QWidget* page : pages) {
            if (onglets) {
                onglets->setCurrentWidget(page);
            }
            QCoreApplication::processEvents();
            const QStringList atteints = tabuler(page);
            QVERIFY2(atteints.size() > 1, qPrintable(fenetre->objectName()));
            QVERIFY2(!atteints.last().startsWith(QLatin1StringView("HORS DE VUE")),
                     qPrintable(atteints.last()));
            // Every field of the page's forms was reached.
            for (FormScrollArea* zone : page->findChildren<FormScrollArea*>()) {
                for (QWidget* champ : zone->widget()->findChildren<QWidget*>()) {
                    if (champ->isVisibleTo(page) && champ->isEnabled() &&
                        (champ->focusPolicy() & Qt::TabFocus) && !champ->focusProxy()) {
                        QVERIFY2(atteints.contains(nom(champ)), qPrintable(nom(champ)));
                    }
                }
            }
            // A date shows whole, before the calendar button.
            for (DBDateEdit* date : page->findChildren<DBDateEdit*>()) {
                if (!date->isVisible() || date->text().isEmpty()) {
                    continue;
                }
                auto* bouton = date->findChild<QToolButton*>();
                QVERIFY(bouton);
                // The line edit scrolls its text as it paints: a text too long for the field
                // moves under the cursor at its end.
                auto curseur = [date] {
                    date->repaint();
                    return date->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
                };
                date->home(false);
                const int gauche = curseur();
                date->end(false);
                const int droite = curseur();
                QVERIFY2(droite - gauche >= date->fontMetrics().horizontalAdvance(date->text()) - 1,
                         qPrintable(date->text()));
                QVERIFY2(droite < bouton->x(), qPrintable(date->text()));
            }
            const QStringList chevauches = chevauchements(page);
            QVERIFY2(chevauches.isEmpty(), qPrintable(chevauches.join(u'\n')));
            // A list shows at least five lines beside the fields.
            for (DBGrid* grille : page->findChildren<DBGrid*>()) {
                QVERIFY2(grille->viewport()->height() >=
                             5 * grille->verticalHeader()->defaultSectionSize(),
                         qPrintable(page->objectName()));
            }
        }
    }

    /// The demonstration companies and their lines.
    static void remplir(const TestDatabase& database) {
        QDir::setCurrent(database.workFolder());
        auto module = database.openModule();
        DemoData::fill(*module);
    }

private slots:
    void initTestCase() {
        // The user's settings stay inside the test, whatever the environment.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QStandardPaths::setTestModeEnabled(true);
        m_startFolder = QDir::currentPath();
        // 1366×768, or 1920×1080 at 125 % (QT_SCALE_FACTOR): the screen's own pixels.
        const QScreen* ecran = QGuiApplication::primaryScreen();
        const QSize pixels = ecran->geometry().size() * ecran->devicePixelRatio();
        QVERIFY2(pixels == QSize(1366, 768) || pixels == QSize(1920, 1080),
                 qPrintable(QStringLiteral("%1x%2").arg(pixels.width()).arg(pixels.height())));
    }
    void cleanup() {
        QDir::setCurrent(m_startFolder);
        flushDeletions();
    }

    void everyEntryWindowShowsTheFocusedFieldAndNoCaptionOverlaps() {
        TestDatabase database;
        QVERIFY(database.isValid());
        remplir(database);
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QVERIFY(main->zoneFenetres()->height() < main->screen()->geometry().height() - 100);
        main->zoneFenetres()->closeAllSubWindows();
        flushDeletions();

        auto active = [main] { return main->zoneFenetres()->activeSubWindow()->widget(); };
        main->IdentificationEntrepriseClick();
        verifierFenetre(active());
        main->zoneFenetres()->closeAllSubWindows();
        flushDeletions();
        main->InformationsGroupeClick();
        verifierFenetre(active());
        main->zoneFenetres()->closeAllSubWindows();
        flushDeletions();
        for (int page = 1; page <= 4; ++page) {
            verifierFenetre(main->ouvrirOperations(page));
        }
        main->DevisesClick();
        verifierFenetre(active());
        main->EtatsTerritorialClick();
        verifierFenetre(active());
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        desktop.finish();
    }

    void theWidthsTheUserDragsComeBackAfterARestart() {
        TestDatabase database;
        QVERIFY(database.isValid());
        remplir(database);
        const int achats = 5;
        int voulue = 0;
        for (int session = 0; session < 2; ++session) {
            MessageBoxRecorder boxes;
            DesktopApplication desktop;
            desktop.start(database.iniPath());
            TFrmoperations* fenetre = desktop.mainWindow()->ouvrirOperations(1);
            QVERIFY(QTest::qWaitForWindowExposed(fenetre));
            QCoreApplication::processEvents();
            DBGrid* grille = fenetre->pageLignes()->grille();
            QCOMPARE(grille->model()->headerData(achats, Qt::Horizontal).toString(),
                     QStringLiteral("Achats"));
            if (session == 0) {
                for (int ligne = 0; ligne < grille->model()->rowCount(); ++ligne) {
                    QVERIFY(!grille->isCut(grille->model()->index(ligne, achats)));
                }
                voulue = grille->columnWidth(achats) + 40;
                grille->horizontalHeader()->resizeSection(achats, voulue);
            } else {
                QCOMPARE(grille->columnWidth(achats), voulue);
            }
            QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
            desktop.finish();
        }
    }
};

QTEST_MAIN(TestPortable)
#include "tst_portable.moc"
