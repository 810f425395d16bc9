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
};
