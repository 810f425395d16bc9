#pragma once

#include "widgets/FieldLink.h"

#include <QLineEdit>

/**
 * A one-line entry field bound to a column of a dataset. It shows the column's display form,
 * puts the row into editing on the first change the user makes and writes its text when it
 * loses the focus or when the row is posted (see FieldLink). Text columns limit the typing
 * to the column's width. Esc drops the text typed since the last write. Leaving the field and a
 * double click are announced by the link (FieldLink::exited, FieldLink::doubleClicked).
 */
class DBEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);

    /// Binds the field to @p field of @p dataset and shows its value.
    void bind(Dataset* dataset, const QString& field);
    Dataset* dataset() const { return m_link->dataset(); }
    const QString& fieldName() const { return m_link->fieldName(); }
    FieldLink& link() { return *m_link; }

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    /// Writes the text into the field; subclasses may store it in another form.
    virtual void writeField(Dataset& dataset, const FieldDef& field);
    /// Shows a stored value; subclasses may show it in another form.
    virtual void showValue(const db::Value& value, const QString& text);

private:
    FieldLink* m_link;
};
