#pragma once

#include <QLineEdit>

/// A password field that shows each typed character as "*".
class PasswordEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit PasswordEdit(QWidget* parent = nullptr);
};
