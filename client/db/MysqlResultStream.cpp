#include "db/MysqlResultStream.h"

#include <stdexcept>
#include <strings.h>

#include <soci/soci.h>
#include <soci/mysql/soci-mysql.h>

MysqlResultStream::~MysqlResultStream()
{
    if (result_)
        mysql_free_result(result_);  // reads and drops any rows left
}

void MysqlResultStream::start(soci::session& sql, const std::string& statement)
{
    if (result_) {
        mysql_free_result(result_);
        result_ = nullptr;
    }
    // The back end's type information is not exported; its name tells it.
    soci::details::session_backend* base = sql.get_backend();
    if (!base || base->get_backend_name() != "mysql")
        throw soci::soci_error("the session is not open on the MySQL back end");
    auto* backend = static_cast<soci::mysql_session_backend*>(base);
    if (!backend->conn_)
        throw soci::soci_error("the session is not open on the MySQL back end");
    conn_ = backend->conn_;
    if (mysql_real_query(conn_, statement.data(), statement.size()) != 0)
        throw soci::soci_error(mysql_error(conn_));
    result_ = mysql_use_result(conn_);
    if (!result_)
        throw soci::soci_error(mysql_errno(conn_) ? mysql_error(conn_) : "the statement gave no result set");
    fieldCount_ = mysql_num_fields(result_);
    fields_ = mysql_fetch_fields(result_);
}

std::size_t MysqlResultStream::column(const std::string& name) const
{
    for (unsigned i = 0; i < fieldCount_; ++i)
        if (strcasecmp(fields_[i].name, name.c_str()) == 0)
            return i;
    throw std::runtime_error("no column " + name + " in the result");
}

enum_field_types MysqlResultStream::fieldType(std::size_t column) const
{
    return fields_[column].type;
}

const MysqlRow* MysqlResultStream::next()
{
    if (!result_)
        return nullptr;
    row_.values = mysql_fetch_row(result_);
    if (!row_.values) {
        if (mysql_errno(conn_))
            throw std::runtime_error(mysql_error(conn_));
        return nullptr;
    }
    row_.lengths = mysql_fetch_lengths(result_);
    return &row_;
}
