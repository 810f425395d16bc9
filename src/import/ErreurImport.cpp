#include "import/ErreurImport.h"

ErreurImport::ErreurImport(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text) {}
