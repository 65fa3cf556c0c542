#include "core/data/DatabaseError.h"

namespace corvane {

DatabaseError::DatabaseError(int code, const QString& message, const QString& tableName)
    : std::runtime_error(message.toStdString())
    , m_code(code)
    , m_message(message)
    , m_tableName(tableName)
{
}

} // namespace corvane
