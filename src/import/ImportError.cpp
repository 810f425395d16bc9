#include "import/ImportError.h"

ImportError::ImportError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text) {}
