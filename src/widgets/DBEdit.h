#pragma once

#include "widgets/FieldLink.h"

#include <QLineEdit>
#include <functional>

/**
 * A one-line entry field bound to a column of a dataset. It shows the column's display form,
 * puts the row into editing on the first change the user makes and writes its text when it
 * loses the focus or when the row is posted (see FieldLink). On a text column, typing stops at
 * the column's width, and a paste or a drop that would go beyond it is refused with a message
 * naming the column: nothing the user put in is cut without a word. Esc drops the text typed
 * since the last write. Leaving the field and a double click are announced by the link
 * (FieldLink::exited, FieldLink::doubleClicked).
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
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    /// Writes the text into the field; subclasses may store it in another form.
    virtual void writeField(Dataset& dataset, const FieldDef& field);
    /// Shows a stored value; subclasses may show it in another form.
    virtual void showValue(const db::Value& value, const QString& text);

private:
    /// Runs @p insertion, a paste or a drop, and reports it when it was refused as too long.
    void coller(const std::function<void()>& insertion);

    FieldLink* m_link;
    // Set while a paste or a drop is being inserted; the width check reports a refusal then,
    // and only then (typing simply stops at the width).
    bool m_collage = false;
    bool m_collageRefuse = false;
};
