#pragma once

#include "TestDatabase.h"

#include <QStringList>
#include <QTest>

/// Types @p text into @p widget one key at a time, accented letters included.
inline void taperTexte(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
