#include "declaration/DeclarationError.h"

DeclarationError::DeclarationError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text) {}
