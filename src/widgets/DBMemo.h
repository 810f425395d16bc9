#pragma once

#include "widgets/FieldLink.h"

#include <QPlainTextEdit>

/**
 * A multi-line text field bound to a text column. Line breaks are stored as CR LF whatever
 * the platform, so that databases and generated files are the same everywhere; Tab moves to
 * the next control.
 *
 * On a column of limited width the stored text never goes beyond it, a line break counting
 * as two characters: typing stops at the width, and a paste or a drop that would go beyond
 * it is refused with a message naming the column.
 */
class DBMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit DBMemo(QWidget* parent = nullptr);

    void bind(Dataset* dataset, const QString& field);
    Dataset* dataset() const { return m_link->dataset(); }
    const QString& fieldName() const { return m_link->fieldName(); }
    FieldLink& link() { return *m_link; }

    /// The text as it is stored: lines separated by CR LF.
    QString storedText() const;

    /// Room for a few lines: a form of several memos stays short enough for a laptop screen.
    QSize sizeHint() const override;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showValue(const QString& text);
    static bool changesText(QKeyEvent* event);
    /// The characters @p text takes once stored, line breaks as CR LF.
    static qsizetype storedLength(const QString& text);
    /// True when @p text, put in place of the selection, keeps the stored text within the
    /// column's width (always on a column without one).
    bool fits(const QString& text) const;

    FieldLink* m_link;
};
