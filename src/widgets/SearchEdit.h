#pragma once

#include <QLineEdit>

/**
 * A search field: letters are turned into capitals as they are typed or pasted, so that the
 * text changes once per keystroke, already in capitals.
 */
class SearchEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit SearchEdit(QWidget* parent = nullptr);

    /**
     * @p text in capitals as the database makes them: a letter whose capital lies outside
     * Windows-1252 (µ) or is longer than one letter (ß) stays as it is. The result has the
     * length of @p text.
     */
    static QString majuscules(const QString& text);
};
