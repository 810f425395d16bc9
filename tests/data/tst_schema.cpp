#include "TestDatabase.h"
#include "data/DatabaseCreator.h"
#include "data/Schema.h"
#include "db/DatabaseError.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

using db::Value;

class TestSchema : public QObject {
    Q_OBJECT

    TestDatabase m_db;
    std::unique_ptr<TDataprix> m_module;

    // One line per column as the server describes it: TABLE.COLUMN TYPE [NOT NULL].
    QStringList describedColumns() {
        db::Statement q(m_module->IBTransaction1);
        q.prepare(QStringLiteral(
            "select trim(rf.rdb$relation_name), trim(rf.rdb$field_name), f.rdb$field_type, "
            "f.rdb$field_sub_type, f.rdb$character_length, f.rdb$field_precision, "
            "f.rdb$field_scale, "
            "coalesce(rf.rdb$null_flag, 0), trim(cs.rdb$character_set_name) "
            "from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = "
            "rf.rdb$field_source "
            "left join rdb$character_sets cs on cs.rdb$character_set_id = f.rdb$character_set_id "
            "join rdb$relations r on r.rdb$relation_name = rf.rdb$relation_name "
            "where coalesce(r.rdb$system_flag, 0) = 0 order by 1, rf.rdb$field_position"));
        q.execute();
        QStringList lines;
        while (q.fetch()) {
            const auto& r = q.row();
            QString type;
            switch (r[2].toInt()) {
                case 8:
                    type =
                        r[6].toInt() < 0
                            ? QStringLiteral("NUMERIC(%1,%2)").arg(r[5].toInt()).arg(-r[6].toInt())
                            : QStringLiteral("INTEGER");
                    break;
                case 14:
                    type = QStringLiteral("CHAR(%1)").arg(r[4].toInt());
                    break;
                case 37:
                    type = QStringLiteral("VARCHAR(%1)").arg(r[4].toInt());
                    break;
                case 12:
                    type = "DATE";
                    break;
                case 16:
                    type = QStringLiteral("NUMERIC(%1,%2)").arg(r[5].toInt()).arg(-r[6].toInt());
                    break;
                case 7:
                    type = QStringLiteral("NUMERIC(%1,%2)").arg(r[5].toInt()).arg(-r[6].toInt());
                    break;
                case 261:
                    type = QStringLiteral("BLOB SUB_TYPE %1").arg(r[3].toInt());
                    break;
                default:
                    type = QStringLiteral("?%1").arg(r[2].toInt());
            }
            if ((r[2].toInt() == 14 || r[2].toInt() == 37) && r[8].toText() != "WIN1252") {
                type += " CHARSET " + r[8].toText();
            }
            lines.append(
                QStringLiteral("%1.%2 %3%4")
                    .arg(r[0].toText(), r[1].toText(), type, r[7].toInt() ? " NOT NULL" : ""));
        }
        return lines;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_db.isValid());
        m_db.addCompany("1111111", "A", 2023, "ALPHA");
        m_module = m_db.openModule();
        m_module->ensureConnected();
    }
    void cleanupTestCase() { m_module.reset(); }

    void hasExactlyTheDeclarationColumns() {
        QStringList expected;
        for (const TableDef& t : Schema::tables()) {
            for (const FieldDef& f : t.fields) {
                QString type = f.sqlType();
                if (f.type == FieldType::Blob) {
                    type = "BLOB SUB_TYPE 0";
                }
                expected.append(QStringLiteral("%1.%2 %3%4")
                                    .arg(t.name, f.name, type, f.notNull ? " NOT NULL" : ""));
            }
        }
        QStringList actual = describedColumns();
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
    }

    // Facts the generated script must honour whatever the definitions in code say.
    void definitionsHoldTheDeclarationRules() {
        const QStringList cols = describedColumns();
        QCOMPARE(Schema::tables().size(), 13);
        QVERIFY(cols.contains("SOCIETE.MFISCAL VARCHAR(7) NOT NULL"));
        QVERIFY(cols.contains("SOCIETE.CLE CHAR(1) NOT NULL"));
        QVERIFY(cols.contains("SOCIETE.CHIFFREAFFAIREANNUEL NUMERIC(18,3)"));
        QVERIFY(cols.contains("SOCIETE.AFFIRMATIONBIENSERVICE CHAR(3)"));
        QVERIFY(cols.contains("SOCIETE.AUTRESINFORMATIONS BLOB SUB_TYPE 0"));
        QVERIFY(cols.contains("CAPITALLIEE.MFISCAL VARCHAR(8) NOT NULL"));
        QVERIFY(cols.contains("CAPITALDECLARANTE.POURVENVOTE NUMERIC(9,2)"));
        QVERIFY(cols.contains("INFORMATIONGROUPE.AUTREMFISCAL VARCHAR(20) NOT NULL"));
        QVERIFY(!cols.contains("INFORMATIONGROUPE.LG INTEGER NOT NULL"));
        QVERIFY(cols.contains("LISTEACTIFINCORPOREL.NATUREACTIF VARCHAR(2) NOT NULL"));
        QVERIFY(cols.contains("LISTEACTIFINCORPOREL.ONEREUXGRATUIT CHAR(1)"));
        QVERIFY(!cols.contains("LISTEACTIFCORPOREL.ONEREUXGRATUIT CHAR(1)"));
        QVERIFY(cols.contains("OPERATIONSMONTANTS.METHODE VARCHAR(4)"));
        QVERIFY(cols.contains("OPERATIONSMONTANTS.NATUREOPERATIONS CHAR(1)"));
        QVERIFY(cols.contains("OPERATIONPRETEMPRUNT.TAUXINTERET NUMERIC(9,2)"));
        QVERIFY(cols.contains("OPERATIONRESCRITFISCAUX.EXERCICEFIN INTEGER"));
        QCOMPARE(cols.filter(QRegularExpression("^OPERATIONSMONTANTS\\.")).size(), 3 + 17);
        QCOMPARE(cols.filter(QRegularExpression("^SOCIETE\\.")).size(), 30);
    }

    void primaryKeysAreTheLocatingColumns() {
        db::Statement q(m_module->IBTransaction1);
        q.prepare(QStringLiteral(
            "select trim(rc.rdb$relation_name), list(trim(s.rdb$field_name), ',') from "
            "rdb$relation_constraints rc join rdb$index_segments s on s.rdb$index_name = "
            "rc.rdb$index_name where rc.rdb$constraint_type = 'PRIMARY KEY' group by 1"));
        q.execute();
        QMap<QString, QStringList> keys;
        while (q.fetch()) {
            QStringList k = q.row()[1].toText().split(',');
            k.sort();
            keys.insert(q.row()[0].toText(), k);
        }
        QCOMPARE(keys.size(), 13);
        QCOMPARE(keys.value("SOCIETE"), QStringList({"CLE", "EXERCICE", "MFISCAL"}));
        QCOMPARE(keys.value("INFORMATIONGROUPE"), QStringList({"EXERCICE", "MFISCAL"}));
        QCOMPARE(keys.value("OPERATIONSMONTANTS"), QStringList({"EXERCICE", "LG", "MFISCAL"}));
        QCOMPARE(keys.value("DEVISE"), QStringList({"DEVISE"}));
        QCOMPARE(keys.value("ETATTERRITORIAL"), QStringList({"CODE"}));
    }

    // Without a descending index the highest line number is found by reading every line of
    // the company and year, which makes each new line slower than the last.
    void lineNumberedTablesHaveADescendingIndex() {
        db::Statement q(m_module->IBTransaction1);
        q.prepare(QStringLiteral(
            "select trim(i.rdb$relation_name), trim(s.rdb$field_name) from rdb$indices i "
            "join rdb$index_segments s on s.rdb$index_name = i.rdb$index_name "
            "where i.rdb$index_type = 1 and coalesce(i.rdb$system_flag, 0) = 0 "
            "order by i.rdb$index_name, s.rdb$field_position"));
        q.execute();
        QMap<QString, QString> indexes;
        while (q.fetch()) {
            QString& fields = indexes[q.row()[0].toText()];
            fields += (fields.isEmpty() ? "" : ",") + q.row()[1].toText();
        }
        QCOMPARE(indexes.size(), 8);
        QCOMPARE(indexes.value("OPERATIONSMONTANTS"), "MFISCAL,EXERCICE,LG");
        QVERIFY(!indexes.contains("INFORMATIONGROUPE"));
    }

    void deliversTheReferenceRows() {
        m_module->devise->open();
        m_module->devise->fetchAll();
        QVERIFY(m_module->devise->rowCount() >= 150);
        QVERIFY(m_module->devise->locate({"DEVISE"}, {Value(QStringLiteral("TND"))}));
        QCOMPARE(m_module->devise->value("LIBELLE").toText(), "Dinar tunisien");
        m_module->Etatterritorial->open();
        m_module->Etatterritorial->fetchAll();
        QCOMPARE(m_module->Etatterritorial->rowCount(), 252);
        QVERIFY(m_module->Etatterritorial->locate({"CODE"}, {Value(QStringLiteral("FR"))}));
        QCOMPARE(m_module->Etatterritorial->value("PAYS").toText(), "France");
        m_module->ctegorie->open();
        QStringList codes;
        for (m_module->ctegorie->first(); !m_module->ctegorie->eof(); m_module->ctegorie->next()) {
            codes.append(m_module->ctegorie->value("CODE").toText());
        }
        QCOMPARE(codes, QStringList({"C", "E", "M", "N", "P"}));
    }

    void initialisationEmptiesEnteredDataOnly() {
        m_module->societe->open();
        QCOMPARE(m_module->societe->rowCount(), 1);
        m_module->montanttransactions->open();
        m_module->openForActiveCompany(*m_module->montanttransactions);
        m_module->montanttransactions->append();
        m_module->montanttransactions->post();
        db::Statement proc(m_module->IBTransaction1);
        proc.prepare(QStringLiteral("EXECUTE PROCEDURE INITIALISATION"));
        proc.execute();
        m_module->societe->open();
        QCOMPARE(m_module->societe->rowCount(), 0);
        m_module->openForActiveCompany(*m_module->montanttransactions);
        QCOMPARE(m_module->montanttransactions->rowCount(), 0);
        m_module->devise->open();
        m_module->devise->fetchAll();
        QVERIFY(m_module->devise->rowCount() >= 150);
    }

    void refusesToOverwriteAnExistingDatabase() {
        QFile before(m_db.databasePath());
        const qint64 size = QFileInfo(before).size();
        try {
            DatabaseCreator::create(m_db.databaseFolder());
            QFAIL("existing database overwritten");
        } catch (const db::DatabaseError& e) {
            QVERIFY(e.text().contains(QString::fromUtf16(u"existe déjà")));
        }
        QCOMPARE(QFileInfo(before).size(), size);
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
