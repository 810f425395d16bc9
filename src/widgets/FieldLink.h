#pragma once

#include "data/Dataset.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

/**
 * The link between one data-aware control and one column of a dataset.
 *
 * It holds the rules every bound control follows, so that each control only says how it
 * shows a value and how it writes its content:
 * - it shows the column's value of the current row (the edit buffer while editing) and shows
 *   it again on every row, state and field notification of the dataset;
 * - the control calls startEdit() on the user's first change (keystroke, paste, list or date
 *   choice): the dataset is put into editing (an empty dataset appends a row) and the link
 *   becomes dirty; the content the user just typed is kept;
 * - the pending content is written when the control loses the focus (focusLeft()) and when the
 *   dataset asks its editors before a post or before it leaves the row (writePending());
 *   nothing is written while the link is not dirty;
 * - a content the column refuses (a number or a date that does not parse) is reported in the
 *   standard error box when the focus leaves (and the focus goes back to the control), or
 *   thrown from the post that asked for it;
 * - each time the focus leaves the control, once the content is written, exited() is sent,
 *   also when nothing was typed; not when the content was refused. The rules that go with
 *   leaving a field hang on it;
 * - a double click in the control sends doubleClicked() (the pick fields).
 *
 * The dataset's own behaviour (edit, post on leaving a row, messages) stays in Dataset.
 */
class FieldLink : public QObject, public DatasetEditor {
    Q_OBJECT

public:
    /// Shows @p value, whose display form (code, amount format, dd/MM/yyyy) is @p text.
    using ShowFunction = std::function<void(const db::Value& value, const QString& text)>;
    /// Writes the control's content into @p field of the row being edited; may throw
    /// db::DatabaseError.
    using WriteFunction = std::function<void(Dataset& dataset, const FieldDef& field)>;

    FieldLink(QWidget* control, ShowFunction show, WriteFunction write);
    ~FieldLink() override;

    /// Binds the control to @p field of @p dataset (either may be empty to unbind) and shows it.
    void bind(Dataset* dataset, const QString& field);
    Dataset* dataset() const { return m_dataset; }
    const QString& fieldName() const { return m_fieldName; }
    /// The bound column, or null when unbound or unknown to the dataset.
    const FieldDef* field() const;

    /// A read-only link never starts an edit.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    /// True between the user's first change and the write (or the drop) of the content.
    bool isDirty() const { return m_dirty; }

    /**
     * The user changed the control. Puts the row into editing and marks the link dirty.
     * On failure the error is shown, the control shows the stored value again and false
     * is returned.
     */
    bool startEdit();
    /// Writes the pending content when dirty; throws db::DatabaseError when it is refused.
    void write();
    /// Asked by the dataset before a post: writes the pending content; on a refusal the focus
    /// goes back to the control and the error is thrown on to the post.
    void writePending() override;
    /**
     * Writes the pending content. A refused content is shown in the standard error box and
     * the focus is given back; false is returned then.
     */
    bool leave();
    /// The control lost the focus: leave(), then exited() unless the content was refused.
    void focusLeft();
    /// The control was double-clicked: sends doubleClicked().
    void doubleClick() { emit doubleClicked(); }
    /**
     * A paste (or a drop) would make the text longer than the column holds: it is refused
     * with a message naming the field, its column and its width, @p note after them.
     */
    void refusePaste(const QString& note = QString());
    /// Drops any pending content and shows the stored value.
    void reset();
    /// Shows the stored value (the pending content, if any, is lost).
    void refresh();

signals:
    /// The focus left the control and its content, if any, is written.
    void exited();
    void doubleClicked();

private:
    void onDatasetReset();
    void onStateChanged(DatasetState state);
    void onRowChanged(int index);
    void onFieldChanged(const QString& field);

    QWidget* m_control;
    ShowFunction m_show;
    WriteFunction m_write;
    QPointer<Dataset> m_dataset;
    QString m_fieldName;
    QVector<QMetaObject::Connection> m_connections;
    bool m_readOnly = false;
    bool m_dirty = false;
    // Set while the link itself puts the row into editing: the user's content must survive
    // the notifications that follow.
    bool m_keepContent = false;
    bool m_leaving = false;
};
