#include "db/DatabaseError.h"

namespace db {

DatabaseError::DatabaseError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text) {}

}  // namespace db
