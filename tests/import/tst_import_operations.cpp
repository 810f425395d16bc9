// The "Import Excel" button of the operations window runs the import wizard on the page's
// shared dataset: the imported lines appear in the list and the page's totals match it.
#include "FichiersSource.h"
#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "import/ui/AssistantImport.h"
#include "operations/TFrmoperations.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using db::Decimal;
using db::Value;
using namespace fichiers;

class TestImportOperations : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    std::unique_ptr<ServicesDeTest> m_services;
    QTemporaryDir m_dir;

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1111111", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        m_services = std::make_unique<ServicesDeTest>();
        m_module->societe->open();
    }
    void cleanup() {
        m_services.reset();
        m_module.reset();
        m_db.reset();
    }

    void importExcelRecalculeLesTotaux_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("premiere");  // column index of the first summed amount
        QTest::addColumn<QString>("total1");
        QTest::addColumn<QString>("total2");
        QTest::newRow("montants") << 1 << 10 << "310.500"
                                  << "7.000";
        QTest::newRow("prêts") << 2 << 14 << "310.500"
                               << "7.000";
    }

    void importExcelRecalculeLesTotaux() {
        QFETCH(int, page);
        QFETCH(int, premiere);
        QFETCH(QString, total1);
        QFETCH(QString, total2);
        MessageBoxRecorder boites;
        Dataset& ds = *m_module->dataset(ReglageImport::datasetDeLaPage(page));
        m_module->openForActiveCompany(ds);
        ds.append();
        ds.setValue(ds.fields()[ds.fieldIndex(page == 1 ? "ACHATS" : "AUGMENTATIONS")].name,
                    Decimal(10000, 3));
        ds.post();

        Ligne l1(20), l2(20);
        l1[premiere] = 100.5;
        l1[premiere + 1] = 7;
        l2[premiere] = 200;
        const QString path = m_dir.filePath(QStringLiteral("page%1.xlsx").arg(page));
        QVERIFY(ecrire(path, xlsx({Ligne(20), l1, l2})));
        // The wizard as the button runs it, driven without its modal loop.
        m_services->setImportExcel([&path](QWidget* fenetre, int p, Dataset& cible) {
            AssistantImport assistant(cible, ReglageImport::pourPage(p), DepotReglages(), fenetre);
            assistant.setFichier(path);
            QVERIFY(assistant.lireFichier());
            assistant.executer();
        });

        m_services->contexte().Indicateur = page;
        auto* fenetre = new TFrmoperations(*m_services);
        m_services->ouvrirFenetre(fenetre);
        QVERIFY(fenetre->boutonImportExcel()->isEnabled());
        QCOMPARE(fenetre->total1()->text(), TFrmoperations::texteTotal(Decimal(10000, 3)));
        QTest::mouseClick(fenetre->boutonImportExcel(), Qt::LeftButton);

        QCOMPARE(boites.texts(), QStringList{"2 lignes importées."});
        QCOMPARE(fenetre->dataset()->rowCount(), 3);
        QTRY_COMPARE(fenetre->total1()->text(),
                     TFrmoperations::texteTotal(*Decimal::parse(total1)));
        QTRY_COMPARE(fenetre->total2()->text(),
                     TFrmoperations::texteTotal(*Decimal::parse(total2)));
    }
};

QTEST_MAIN(TestImportOperations)
#include "tst_import_operations.moc"
