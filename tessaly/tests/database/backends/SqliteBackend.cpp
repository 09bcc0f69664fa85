// A database back end over SQLite, built for the tests: it proves the
// interface against a real database. The connection string is the database
// file name (":memory:" for a private in-memory database).
#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tessaly/database/DBBulkInserter.h"
#include "tessaly/database/DBCommand.h"
#include "tessaly/database/DBConnection.h"
#include "tessaly/database/DBConnectionFactory.h"
#include "tessaly/database/DBDataReader.h"
#include "tessaly/database/DBLob.h"
#include "tessaly/database/DBParameter.h"
#include "tessaly/database/DBParameterCollection.h"
#include "tessaly/database/DBStoreProcedureSchema.h"
#include "tessaly/database/DBTVector.h"
#include "tessaly/database/DBTableColumnSchema.h"
#include "tessaly/database/DBTableSchema.h"
#include "tessaly/database/DBTypes.h"
#include "tessaly/database/DBValue.h"

using namespace tessaly::database;
using tessaly::core::int64;

namespace {

class Lob final : public DBLob {
public:
    explicit Lob(const std::string& bytes) : bytes_(bytes) {}
    ~Lob() override = default;
    int64 read(int64 offset, void* buffer, int64 size) override
    {
        if (offset < 0 || size <= 0 || !buffer || offset >= static_cast<int64>(bytes_.size()))
            return 0;
        const int64 n = std::min<int64>(size, static_cast<int64>(bytes_.size()) - offset);
        std::memcpy(buffer, bytes_.data() + offset, static_cast<std::size_t>(n));
        return n;
    }

private:
    const std::string& bytes_;
};

class Value final : public DBValue {
public:
    Value() : lob_(bytes_) {}
    ~Value() = default;

    void setNull() { type_ = DBTypeNull, i_ = 0, d_ = 0, bytes_.clear(); }
    void setInt(int64 v) { setNull(), type_ = DBTypeInteger, i_ = v, d_ = static_cast<double>(v), bytes_ = std::to_string(v); }
    void setReal(double v) { setNull(), type_ = DBTypeReal, d_ = v, i_ = static_cast<int64>(v), bytes_ = std::to_string(v); }
    void setText(const char* s, std::size_t n)
    {
        setNull(), type_ = DBTypeText, bytes_.assign(s, n);
        i_ = std::strtoll(bytes_.c_str(), nullptr, 10);
        d_ = std::strtod(bytes_.c_str(), nullptr);
    }
    void setBlob(const void* p, std::size_t n)
    {
        setNull(), type_ = DBTypeBlob;
        if (n)
            bytes_.assign(static_cast<const char*>(p), n);
    }
    // From a result column.
    void load(sqlite3_stmt* st, int col)
    {
        switch (sqlite3_column_type(st, col)) {
        case SQLITE_INTEGER: setInt(sqlite3_column_int64(st, col)); break;
        case SQLITE_FLOAT: setReal(sqlite3_column_double(st, col)); break;
        case SQLITE_TEXT:
            setText(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                    static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
            break;
        case SQLITE_BLOB:
            setBlob(sqlite3_column_blob(st, col), static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
            break;
        default: setNull(); break;
        }
    }
    // Into a statement parameter (1-based).
    int bind(sqlite3_stmt* st, int index) const
    {
        switch (type_) {
        case DBTypeInteger: return sqlite3_bind_int64(st, index, i_);
        case DBTypeReal: return sqlite3_bind_double(st, index, d_);
        case DBTypeText: return sqlite3_bind_text(st, index, bytes_.data(), static_cast<int>(bytes_.size()), SQLITE_TRANSIENT);
        case DBTypeBlob: return sqlite3_bind_blob(st, index, bytes_.data(), static_cast<int>(bytes_.size()), SQLITE_TRANSIENT);
        default: return sqlite3_bind_null(st, index);
        }
    }

    int getType() override { return type_; }
    bool isNull() override { return type_ == DBTypeNull; }
    int64 asInt64() override { return i_; }
    double asDouble() override { return d_; }
    const char* asText() override { return bytes_.c_str(); }
    int getLength() override { return static_cast<int>(bytes_.size()); }
    const void* asBlob() override { return bytes_.empty() ? nullptr : bytes_.data(); }
    DBLob* getLob() override { return &lob_; }

private:
    int type_ = DBTypeNull;
    int64 i_ = 0;
    double d_ = 0;
    std::string bytes_;
    Lob lob_;
};

class Reader final : public DBDataReader {
public:
    // ownsStatement: finalize on destruction (a query), else reset (a command's).
    Reader(sqlite3_stmt* st, bool ownsStatement) : st_(st), owns_(ownsStatement)
    {
        values_.resize(static_cast<std::size_t>(sqlite3_column_count(st)));
    }
    ~Reader()
    {
        if (owns_)
            sqlite3_finalize(st_);
        else
            sqlite3_reset(st_);
    }

    bool read() override
    {
        if (done_)
            return false;
        if (sqlite3_step(st_) != SQLITE_ROW) {
            done_ = true;
            onRow_ = false;
            return false;
        }
        onRow_ = true;
        for (std::size_t i = 0; i < values_.size(); ++i)
            values_[i].load(st_, static_cast<int>(i));
        return true;
    }
    int getFieldCount() override { return static_cast<int>(values_.size()); }
    const char* getFieldName(int index) override
    {
        return valid(index) ? sqlite3_column_name(st_, index) : "";
    }
    int getFieldIndex(const char* name) override
    {
        for (int i = 0; name && i < getFieldCount(); ++i) {
            if (sqlite3_stricmp(sqlite3_column_name(st_, i), name) == 0)
                return i;
        }
        return -1;
    }
    bool isNull(int index) override { return !field(index) || field(index)->isNull(); }
    int getInt(int index) override { return field(index) ? static_cast<int>(field(index)->asInt64()) : 0; }
    int64 getInt64(int index) override { return field(index) ? field(index)->asInt64() : 0; }
    double getDouble(int index) override { return field(index) ? field(index)->asDouble() : 0.0; }
    const char* getString(int index) override { return field(index) ? field(index)->asText() : ""; }
    DBValue* getValue(int index) override { return field(index); }
    void close() override
    {
        done_ = true;
        onRow_ = false;
    }

private:
    bool valid(int index) const { return index >= 0 && index < static_cast<int>(values_.size()); }
    Value* field(int index) { return onRow_ && valid(index) ? &values_[static_cast<std::size_t>(index)] : nullptr; }

    sqlite3_stmt* st_;
    bool owns_;
    bool done_ = false;
    bool onRow_ = false;
    std::vector<Value> values_;
};

class Parameter final : public DBParameter {
public:
    Parameter(std::string name, int index) : name_(std::move(name)), index_(index) {}
    ~Parameter() = default;

    const char* getName() override { return name_.c_str(); }
    int getIndex() override { return index_; }
    bool setNull() override { return mark(), value_.setNull(), true; }
    bool setBool(bool v) override { return mark(), value_.setInt(v ? 1 : 0), true; }
    bool setInt(int v) override { return mark(), value_.setInt(v), true; }
    bool setInt64(int64 v) override { return mark(), value_.setInt(v), true; }
    bool setDouble(double v) override { return mark(), value_.setReal(v), true; }
    bool setText(const char* v) override
    {
        if (!v)
            return setNull();
        return mark(), value_.setText(v, std::strlen(v)), true;
    }
    bool setBlob(const void* p, int n) override
    {
        if (n < 0 || (!p && n > 0))
            return false;
        return mark(), value_.setBlob(p, static_cast<std::size_t>(n)), true;
    }
    int getType() override { return value_.getType(); }
    DBValue* getValue() override { return &value_; }
    bool isBound() override { return bound_; }
    void clear() override
    {
        bound_ = false;
        value_.setNull();
    }
    const Value& value() const { return value_; }

private:
    void mark() { bound_ = true; }

    std::string name_;
    int index_;
    Value value_;
    bool bound_ = false;
};

class Parameters final : public DBParameterCollection {
public:
    ~Parameters() = default;
    void reset(sqlite3_stmt* st)
    {
        items_.clear();
        const int n = st ? sqlite3_bind_parameter_count(st) : 0;
        for (int i = 1; i <= n; ++i) {
            const char* name = sqlite3_bind_parameter_name(st, i);
            items_.push_back(std::make_unique<Parameter>(name ? name : "", i - 1));
        }
    }
    int count() override { return static_cast<int>(items_.size()); }
    DBParameter* get(int index) override
    {
        return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
    }
    DBParameter* find(const char* name) override { return get(indexOf(name)); }
    int indexOf(const char* name) override
    {
        for (int i = 0; name && i < count(); ++i) {
            const std::string& own = items_[static_cast<std::size_t>(i)]->getName();
            // ":id" and "id" both find ":id".
            if (own == name || (own.size() > 1 && own.compare(1, std::string::npos, name) == 0))
                return i;
        }
        return -1;
    }
    // SQLite takes its parameters from the statement text.
    DBParameter* add(const char* name) override { return find(name); }
    void clearValues() override
    {
        for (auto& p : items_)
            p->clear();
    }
    int bindAll(const char* const* values, int n) override
    {
        int bound = 0;
        for (int i = 0; values && i < n && i < count(); ++i, ++bound)
            items_[static_cast<std::size_t>(i)]->setText(values[i]);
        return bound;
    }
    bool apply(sqlite3_stmt* st)
    {
        sqlite3_clear_bindings(st);
        for (auto& p : items_) {
            if (p->value().bind(st, p->getIndex() + 1) != SQLITE_OK)
                return false;
        }
        return true;
    }

private:
    std::vector<std::unique_ptr<Parameter>> items_;
};

class Connection;

class Command final : public DBCommand {
public:
    explicit Command(sqlite3* db) : db_(db) {}
    ~Command() { sqlite3_finalize(st_); }

    bool setCommandText(const char* sql) override
    {
        sqlite3_finalize(st_);
        st_ = nullptr;
        text_ = sql ? sql : "";
        if (sqlite3_prepare_v2(db_, text_.c_str(), -1, &st_, nullptr) != SQLITE_OK || !st_) {
            error_ = sqlite3_errmsg(db_);
            params_.reset(nullptr);
            return false;
        }
        params_.reset(st_);
        return true;
    }
    const char* getCommandText() override { return text_.c_str(); }
    DBParameterCollection* getParameters() override { return &params_; }
    int executeNonQuery() override
    {
        if (!prepareRun())
            return -1;
        int rc;
        while ((rc = sqlite3_step(st_)) == SQLITE_ROW) {
        }
        sqlite3_reset(st_);
        if (rc != SQLITE_DONE) {
            error_ = sqlite3_errmsg(db_);
            return -1;
        }
        return sqlite3_changes(db_);
    }
    DBDataReader* executeReader() override { return prepareRun() ? new Reader(st_, false) : nullptr; }
    DBValue* executeScalar() override
    {
        if (!prepareRun())
            return nullptr;
        const int rc = sqlite3_step(st_);
        DBValue* result = nullptr;
        if (rc == SQLITE_ROW && sqlite3_column_count(st_) > 0) {
            scalar_.load(st_, 0);
            result = &scalar_;
        } else if (rc != SQLITE_DONE) {
            error_ = sqlite3_errmsg(db_);
        }
        sqlite3_reset(st_);
        return result;
    }
    void reset() override
    {
        if (st_)
            sqlite3_reset(st_);
    }
    const char* getLastError() override { return error_.c_str(); }

private:
    bool prepareRun()
    {
        if (!st_) {
            error_ = "no command text";
            return false;
        }
        sqlite3_reset(st_);
        if (!params_.apply(st_)) {
            error_ = sqlite3_errmsg(db_);
            return false;
        }
        return true;
    }

    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    std::string text_;
    std::string error_;
    Parameters params_;
    Value scalar_;
};

class ColumnSchema final : public DBTableColumnSchema {
public:
    ~ColumnSchema() = default;
    const char* getName() override { return name.c_str(); }
    const char* getTypeName() override { return typeName.c_str(); }
    int getType() override
    {
        // SQLite's type affinity rules, roughly.
        std::string t = typeName;
        for (char& c : t)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (t.find("INT") != std::string::npos)
            return DBTypeInteger;
        if (t.find("CHAR") != std::string::npos || t.find("TEXT") != std::string::npos || t.find("CLOB") != std::string::npos)
            return DBTypeText;
        if (t.empty() || t.find("BLOB") != std::string::npos)
            return DBTypeBlob;
        return DBTypeReal;
    }
    bool isNullable() override { return nullable; }
    bool isPrimaryKey() override { return primaryKey; }
    const char* getDefaultValue() override { return hasDefault ? defaultValue.c_str() : nullptr; }
    int getOrdinal() override { return ordinal; }

    std::string name, typeName, defaultValue;
    bool nullable = true, primaryKey = false, hasDefault = false;
    int ordinal = 0;
};

class TableSchema final : public DBTableSchema {
public:
    const char* getName() override { return name.c_str(); }
    int getColumnCount() override { return static_cast<int>(columns.size()); }
    DBTableColumnSchema* getColumn(int index) override
    {
        return index >= 0 && index < getColumnCount() ? columns[static_cast<std::size_t>(index)].get() : nullptr;
    }
    DBTableColumnSchema* findColumn(const char* n) override
    {
        for (auto& c : columns) {
            if (n && sqlite3_stricmp(c->name.c_str(), n) == 0)
                return c.get();
        }
        return nullptr;
    }
    void release() override { delete this; }

    std::string name;
    std::vector<std::unique_ptr<ColumnSchema>> columns;

private:
    ~TableSchema() override = default;
};

class Row final : public DBTVector {
public:
    explicit Row(int n) : values_(static_cast<std::size_t>(n)) {}
    ~Row() override = default;
    int size() override { return static_cast<int>(values_.size()); }
    bool setNull(int i) override { return at(i) && (at(i)->setNull(), true); }
    bool setInt64(int i, int64 v) override { return at(i) && (at(i)->setInt(v), true); }
    bool setDouble(int i, double v) override { return at(i) && (at(i)->setReal(v), true); }
    bool setText(int i, const char* v) override
    {
        if (!at(i))
            return false;
        if (v)
            at(i)->setText(v, std::strlen(v));
        else
            at(i)->setNull();
        return true;
    }
    bool setBlob(int i, const void* p, int n) override
    {
        return at(i) && n >= 0 && (p || n == 0) && (at(i)->setBlob(p, static_cast<std::size_t>(n)), true);
    }
    DBValue* get(int i) override { return at(i); }
    void clear() override
    {
        for (Value& v : values_)
            v.setNull();
    }
    const std::vector<Value>& values() const { return values_; }

private:
    Value* at(int i) { return i >= 0 && i < size() ? &values_[static_cast<std::size_t>(i)] : nullptr; }
    std::vector<Value> values_;
};

class BulkInserter final : public DBBulkInserter {
public:
    BulkInserter(sqlite3* db, const std::string& table, int columns) : db_(db), row_(columns)
    {
        std::string sql = "INSERT INTO \"" + table + "\" VALUES (";
        for (int i = 0; i < columns; ++i)
            sql += i ? ",?" : "?";
        sql += ")";
        sqlite3_prepare_v2(db_, sql.c_str(), -1, &st_, nullptr);
    }
    DBTVector* row() override { return &row_; }
    bool addRow() override
    {
        if (!st_)
            return false;
        pending_.push_back(row_.values());
        row_.clear();
        return true;
    }
    int flush() override
    {
        if (!st_)
            return -1;
        sqlite3_exec(db_, "SAVEPOINT bulk", nullptr, nullptr, nullptr);
        int done = 0;
        for (const auto& values : pending_) {
            sqlite3_reset(st_);
            for (std::size_t i = 0; i < values.size(); ++i)
                values[i].bind(st_, static_cast<int>(i) + 1);
            if (sqlite3_step(st_) != SQLITE_DONE) {
                sqlite3_reset(st_);
                sqlite3_exec(db_, "ROLLBACK TO bulk; RELEASE bulk", nullptr, nullptr, nullptr);
                pending_.clear();
                return -1;
            }
            ++done;
        }
        sqlite3_reset(st_);
        sqlite3_exec(db_, "RELEASE bulk", nullptr, nullptr, nullptr);
        pending_.clear();
        return done;
    }
    void release() override
    {
        flush();
        delete this;
    }

private:
    ~BulkInserter() override { sqlite3_finalize(st_); }

    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    Row row_;
    std::vector<std::vector<Value>> pending_;
};

class Connection final : public DBConnection {
public:
    ~Connection() { close(); }

    bool open(const char* connectionString) override
    {
        close();
        if (sqlite3_open(connectionString ? connectionString : ":memory:", &db_) != SQLITE_OK) {
            error_ = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            return false;
        }
        return true;
    }
    void close() override
    {
        // sqlite3_close_v2 waits for statements the caller still holds.
        if (db_)
            sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    bool isOpen() override { return db_ != nullptr; }
    int execute(const char* sql) override
    {
        if (!ready())
            return -1;
        char* message = nullptr;
        const int before = sqlite3_total_changes(db_);
        if (sqlite3_exec(db_, sql ? sql : "", nullptr, nullptr, &message) != SQLITE_OK) {
            error_ = message ? message : sqlite3_errmsg(db_);
            sqlite3_free(message);
            return -1;
        }
        return sqlite3_total_changes(db_) - before;
    }
    DBDataReader* executeQuery(const char* sql) override
    {
        if (!ready())
            return nullptr;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql ? sql : "", -1, &st, nullptr) != SQLITE_OK || !st) {
            error_ = sqlite3_errmsg(db_);
            sqlite3_finalize(st);
            return nullptr;
        }
        return new Reader(st, true);
    }
    DBCommand* createCommand() override { return ready() ? new Command(db_) : nullptr; }
    void releaseCommand(DBCommand* command) override { delete static_cast<Command*>(command); }
    void releaseReader(DBDataReader* reader) override { delete static_cast<Reader*>(reader); }
    bool beginTransaction() override { return execute("BEGIN") >= 0; }
    bool commit() override { return execute("COMMIT") >= 0; }
    bool rollback() override { return execute("ROLLBACK") >= 0; }
    const char* getLastError() override { return error_.c_str(); }
    DBTableSchema* getTableSchema(const char* table) override
    {
        if (!ready() || !table)
            return nullptr;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, "SELECT cid, name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)",
                               -1, &st, nullptr) != SQLITE_OK) {
            error_ = sqlite3_errmsg(db_);
            return nullptr;
        }
        sqlite3_bind_text(st, 1, table, -1, SQLITE_TRANSIENT);
        auto* schema = new TableSchema;
        schema->name = table;
        while (sqlite3_step(st) == SQLITE_ROW) {
            auto c = std::make_unique<ColumnSchema>();
            c->ordinal = sqlite3_column_int(st, 0);
            c->name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
            const unsigned char* type = sqlite3_column_text(st, 2);
            c->typeName = type ? reinterpret_cast<const char*>(type) : "";
            c->nullable = sqlite3_column_int(st, 3) == 0;
            c->hasDefault = sqlite3_column_type(st, 4) != SQLITE_NULL;
            if (c->hasDefault)
                c->defaultValue = reinterpret_cast<const char*>(sqlite3_column_text(st, 4));
            c->primaryKey = sqlite3_column_int(st, 5) != 0;
            schema->columns.push_back(std::move(c));
        }
        sqlite3_finalize(st);
        if (schema->columns.empty()) {
            error_ = std::string("no such table: ") + table;
            schema->release();
            return nullptr;
        }
        return schema;
    }
    // SQLite has no stored procedures.
    DBStoreProcedureSchema* getStoreProcedureSchema(const char*) override { return nullptr; }
    DBBulkInserter* createBulkInserter(const char* table) override
    {
        DBTableSchema* schema = getTableSchema(table);
        if (!schema)
            return nullptr;
        const int columns = schema->getColumnCount();
        schema->release();
        return new BulkInserter(db_, table, columns);
    }

private:
    bool ready()
    {
        if (db_)
            return true;
        error_ = "connection is not open";
        return false;
    }

    sqlite3* db_ = nullptr;
    std::string error_;
};

} // namespace

TESSALY_DB_BACKEND_EXPORT DBConnection* createConnection()
{
    return new Connection;
}

TESSALY_DB_BACKEND_EXPORT void releaseConnection(DBConnection* connection)
{
    delete static_cast<Connection*>(connection);
}
