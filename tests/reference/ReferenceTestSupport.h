#pragma once

#include "TestDatabase.h"
#include "db/Connection.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QStringList>
#include <QTest>

/// Runs @p statements through a connection of its own and commits them.
inline void executerEtValider(const TestDatabase& database, const QStringList& statements) {
    db::Connection connection;
    connection.setDatabaseName(database.databasePath());
    connection.open();
    db::Transaction transaction(connection);
    connection.setDefaultTransaction(&transaction);
    transaction.start();
    for (const QString& sql : statements) {
        db::Statement statement(transaction);
        statement.prepare(sql);
        statement.execute();
    }
    transaction.commit();
    connection.close();
}

/// Types @p text into @p widget one key at a time, accented letters included.
inline void taperTexte(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
