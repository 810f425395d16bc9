#include "widgets/KeyboardNavigator.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void enterGoesToTheNextControlAndUpToThePrevious() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* a = new QLineEdit(&window);
        auto* b = new QComboBox(&window);
        b->setEditable(true);
        b->addItems({"1", "2"});
        auto* skipped = new QPushButton(QStringLiteral("fermer"), &window);
        auto* noTab = new QLineEdit(&window);
        noTab->setFocusPolicy(Qt::ClickFocus);
        auto* c = new QPlainTextEdit(&window);
        auto* plain = new QLineEdit(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{a, b, skipped, noTab, c, plain}) {
            layout->addWidget(w);
        }
        auto* navigator = new KeyboardNavigator(&window);
        navigator->attach({a, b, c});
        navigator->skip(skipped);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        a->setFocus();
        QTest::keyClick(a, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), b);
        const int item = b->currentIndex();
        QTest::keyClick(b, Qt::Key_Enter, Qt::KeypadModifier);
        // The button marked as skipped and the control out of the tab order are passed over.
        QCOMPARE(QApplication::focusWidget(), c);
        // Enter in a multi-line field attached to the navigator moves on too.
        QTest::keyClick(c, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), plain);
        QVERIFY(c->toPlainText().isEmpty());
        // A field that is not attached keeps its usual keys.
        QTest::keyClick(plain, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), plain);
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), b);
        QTest::keyClick(b, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), a);
        QCOMPARE(b->currentIndex(), item);
        // From the first control, Up wraps around to the last one.
        QTest::keyClick(a, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), plain);
    }

    void controlsOfAHiddenPageArePassedOver() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* first = new QLineEdit(&window);
        auto* pages = new QTabWidget(&window);
        auto* visible = new QWidget;
        auto* hidden = new QWidget;
        auto* onHidden = new QLineEdit(hidden);
        auto* onVisible = new QLineEdit(visible);
        pages->addTab(visible, QStringLiteral("Un"));
        pages->addTab(hidden, QStringLiteral("Deux"));
        pages->setFocusPolicy(Qt::NoFocus);
        pages->tabBar()->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(first);
        layout->addWidget(pages);
        QWidget::setTabOrder(first, onHidden);
        QWidget::setTabOrder(onHidden, onVisible);
        auto* navigator = new KeyboardNavigator(&window);
        navigator->attach(first);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), onVisible);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
