#pragma once

#include "widgets/FieldLink.h"

#include <QComboBox>

/**
 * An editable drop-down bound to a coded column. The open list shows the item texts; the
 * field shows the stored code. Choosing an item or typing a text stores that text cut to the
 * column's width (an empty text stores null): a choice is written at once, typed text when
 * the field loses the focus or the row is posted.
 */
class DBComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit DBComboBox(QWidget* parent = nullptr);

    void bind(Dataset* dataset, const QString& field);
    Dataset* dataset() const { return m_link->dataset(); }
    const QString& fieldName() const { return m_link->fieldName(); }
    FieldLink& link() { return *m_link; }

    /// Replaces the items of the list; the field keeps showing the stored code.
    void setItems(const QStringList& items);
    QStringList items() const;
    /// Shows @p lines as the tooltip, one per line.
    void setToolTipLines(const QStringList& lines);

    /// A read-only drop-down shows the code and refuses changes.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_link->isReadOnly(); }

    /// A read-only drop-down does not open.
    void showPopup() override;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showValue(const QString& text);
    void writeField(Dataset& dataset, const FieldDef& field);
    void onActivated(int index);

    FieldLink* m_link;
};
