// The interface driven through a real database: the SQLite back end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tessaly/database/DBBulkInserter.h"
#include "tessaly/database/DBCommand.h"
#include "tessaly/database/DBConnection.h"
#include "tessaly/database/DBConnectionFactory.h"
#include "tessaly/database/DBDataReader.h"
#include "tessaly/database/DBLob.h"
#include "tessaly/database/DBParameter.h"
#include "tessaly/database/DBParameterCollection.h"
#include "tessaly/database/DBTVector.h"
#include "tessaly/database/DBTableColumnSchema.h"
#include "tessaly/database/DBTableSchema.h"
#include "tessaly/database/DBTypes.h"
#include "tessaly/database/DBValue.h"

using namespace tessaly::database;

class SqliteBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char error[128] = "";
        db = createDBConnection(SQLITE_BACKEND, error, sizeof error);
        ASSERT_NE(db, nullptr) << error;
        ASSERT_TRUE(db->open(":memory:")) << db->getLastError();
        ASSERT_EQ(db->execute("CREATE TABLE em_device (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                              " value REAL, raw BLOB, note VARCHAR(20) DEFAULT 'none')"),
                  0)
            << db->getLastError();
    }
    void TearDown() override
    {
        if (db) {
            db->close();
            EXPECT_FALSE(db->isOpen());
            releaseDBConnection(db);
        }
    }

    DBConnection* db = nullptr;
};

TEST_F(SqliteBackendTest, ExecuteAndQueryReturnWhatWasInserted)
{
    EXPECT_EQ(db->execute("INSERT INTO em_device (id, name, value) VALUES (1, 'gw01', 1.5), (2, 'gw02', NULL)"), 2);
    DBDataReader* r = db->executeQuery("SELECT id, name, value FROM em_device ORDER BY id");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->getFieldCount(), 3);
    EXPECT_STREQ(r->getFieldName(1), "name");
    EXPECT_EQ(r->getFieldIndex("VALUE"), 2);
    EXPECT_EQ(r->getFieldIndex("missing"), -1);
    ASSERT_TRUE(r->read());
    EXPECT_EQ(r->getInt(0), 1);
    EXPECT_STREQ(r->getString(1), "gw01");
    EXPECT_DOUBLE_EQ(r->getDouble(2), 1.5);
    EXPECT_EQ(r->getValue(2)->getType(), DBTypeReal);
    ASSERT_TRUE(r->read());
    EXPECT_EQ(r->getInt64(0), 2);
    EXPECT_TRUE(r->isNull(2));
    EXPECT_STREQ(r->getString(2), "");
    EXPECT_EQ(r->getValue(9), nullptr);
    EXPECT_FALSE(r->read());
    EXPECT_FALSE(r->read());
    db->releaseReader(r);
}

TEST_F(SqliteBackendTest, ErrorsAreReported)
{
    EXPECT_EQ(db->execute("INSERT INTO nowhere VALUES (1)"), -1);
    EXPECT_NE(std::strstr(db->getLastError(), "nowhere"), nullptr);
    EXPECT_EQ(db->executeQuery("SELEC broken"), nullptr);
    EXPECT_EQ(db->execute("INSERT INTO em_device (id) VALUES (5)"), -1); // name NOT NULL
}

TEST_F(SqliteBackendTest, PreparedCommandWithParameters)
{
    DBCommand* cmd = db->createCommand();
    ASSERT_NE(cmd, nullptr);
    ASSERT_TRUE(cmd->setCommandText("INSERT INTO em_device (id, name, value, raw) VALUES (:id, :name, :value, :raw)"));
    DBParameterCollection* params = cmd->getParameters();
    ASSERT_EQ(params->count(), 4);
    EXPECT_EQ(params->indexOf("name"), 1);
    EXPECT_STREQ(params->get(3)->getName(), ":raw");
    EXPECT_EQ(params->get(4), nullptr);
    const char blob[] = {1, 0, 2, 0, 3};
    for (int i = 10; i < 13; ++i) {
        params->find("id")->setInt(i);
        params->find(":name")->setText(("dev" + std::to_string(i)).c_str());
        params->find("value")->setDouble(i / 4.0);
        params->find("raw")->setBlob(blob, sizeof blob);
        EXPECT_EQ(cmd->executeNonQuery(), 1) << cmd->getLastError();
    }
    EXPECT_TRUE(params->find("raw")->isBound());
    EXPECT_EQ(params->find("raw")->getType(), DBTypeBlob);
    EXPECT_EQ(params->find("value")->getValue()->asDouble(), 3.0);
    params->clearValues();
    EXPECT_FALSE(params->get(0)->isBound());

    ASSERT_TRUE(cmd->setCommandText("SELECT name, raw FROM em_device WHERE id >= ? ORDER BY id"));
    params->get(0)->setInt64(11);
    DBDataReader* r = cmd->executeReader();
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(r->read());
    EXPECT_STREQ(r->getString(0), "dev11");
    DBValue* raw = r->getValue(1);
    ASSERT_EQ(raw->getType(), DBTypeBlob);
    ASSERT_EQ(raw->getLength(), 5);
    EXPECT_EQ(std::memcmp(raw->asBlob(), blob, 5), 0);
    char piece[4] = {};
    EXPECT_EQ(raw->getLob()->read(3, piece, 4), 2);
    EXPECT_EQ(piece[0], 0);
    EXPECT_EQ(piece[1], 3);
    EXPECT_EQ(raw->getLob()->read(5, piece, 4), 0);
    ASSERT_TRUE(r->read());
    EXPECT_STREQ(r->getString(0), "dev12");
    EXPECT_FALSE(r->read());
    db->releaseReader(r);

    ASSERT_TRUE(cmd->setCommandText("SELECT COUNT(*) FROM em_device WHERE name LIKE ?"));
    const char* const values[] = {"dev%"};
    EXPECT_EQ(params->bindAll(values, 1), 1);
    DBValue* count = cmd->executeScalar();
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->asInt64(), 3);
    EXPECT_FALSE(cmd->setCommandText("SELECT FROM WHERE"));
    EXPECT_STRNE(cmd->getLastError(), "");
    EXPECT_EQ(cmd->executeNonQuery(), -1);
    db->releaseCommand(cmd);
}

TEST_F(SqliteBackendTest, TransactionsCommitAndRollBack)
{
    ASSERT_TRUE(db->beginTransaction());
    db->execute("INSERT INTO em_device (id, name) VALUES (1, 'kept')");
    ASSERT_TRUE(db->commit());
    ASSERT_TRUE(db->beginTransaction());
    db->execute("INSERT INTO em_device (id, name) VALUES (2, 'dropped')");
    ASSERT_TRUE(db->rollback());
    EXPECT_FALSE(db->commit()); // no transaction open
    DBCommand* cmd = db->createCommand();
    cmd->setCommandText("SELECT group_concat(name) FROM em_device");
    EXPECT_STREQ(cmd->executeScalar()->asText(), "kept");
    db->releaseCommand(cmd);
}

TEST_F(SqliteBackendTest, TableSchemaDescribesColumns)
{
    DBTableSchema* schema = db->getTableSchema("em_device");
    ASSERT_NE(schema, nullptr);
    EXPECT_STREQ(schema->getName(), "em_device");
    ASSERT_EQ(schema->getColumnCount(), 5);
    DBTableColumnSchema* id = schema->getColumn(0);
    EXPECT_TRUE(id->isPrimaryKey());
    EXPECT_EQ(id->getType(), DBTypeInteger);
    DBTableColumnSchema* name = schema->findColumn("NAME");
    ASSERT_NE(name, nullptr);
    EXPECT_FALSE(name->isNullable());
    EXPECT_EQ(name->getOrdinal(), 1);
    EXPECT_EQ(name->getDefaultValue(), nullptr);
    DBTableColumnSchema* note = schema->getColumn(4);
    EXPECT_STREQ(note->getTypeName(), "VARCHAR(20)");
    EXPECT_EQ(note->getType(), DBTypeText);
    EXPECT_STREQ(note->getDefaultValue(), "'none'");
    EXPECT_EQ(schema->getColumn(5), nullptr);
    schema->release();
    EXPECT_EQ(db->getTableSchema("absent"), nullptr);
    EXPECT_EQ(db->getStoreProcedureSchema("anything"), nullptr);
}

TEST_F(SqliteBackendTest, BulkInsertWritesEveryRow)
{
    DBBulkInserter* bulk = db->createBulkInserter("em_device");
    ASSERT_NE(bulk, nullptr);
    DBTVector* row = bulk->row();
    ASSERT_EQ(row->size(), 5);
    for (int i = 0; i < 1000; ++i) {
        row->setInt64(0, i);
        row->setText(1, ("bulk" + std::to_string(i)).c_str());
        row->setDouble(2, i * 0.5);
        EXPECT_FALSE(row->setNull(5));
        ASSERT_TRUE(bulk->addRow());
        if (i == 499) {
            EXPECT_EQ(bulk->flush(), 500);
        }
    }
    bulk->release(); // writes the other 500
    DBDataReader* r = db->executeQuery("SELECT COUNT(*), SUM(value), MAX(name) FROM em_device");
    ASSERT_TRUE(r->read());
    EXPECT_EQ(r->getInt(0), 1000);
    EXPECT_DOUBLE_EQ(r->getDouble(1), 0.5 * 999 * 1000 / 2);
    EXPECT_STREQ(r->getString(2), "bulk999");
    db->releaseReader(r);

    // A failing row rolls the whole batch back.
    bulk = db->createBulkInserter("em_device");
    bulk->row()->setInt64(0, 5000);
    bulk->row()->setText(1, "fresh");
    bulk->addRow();
    bulk->row()->setInt64(0, 1); // duplicate key
    bulk->row()->setText(1, "dup");
    bulk->addRow();
    EXPECT_EQ(bulk->flush(), -1);
    bulk->release();
    r = db->executeQuery("SELECT COUNT(*) FROM em_device WHERE id = 5000");
    ASSERT_TRUE(r->read());
    EXPECT_EQ(r->getInt(0), 0);
    db->releaseReader(r);
    EXPECT_EQ(db->createBulkInserter("absent"), nullptr);
}

TEST_F(SqliteBackendTest, ClosedConnectionRefusesWork)
{
    db->close();
    EXPECT_EQ(db->execute("SELECT 1"), -1);
    EXPECT_STREQ(db->getLastError(), "connection is not open");
    EXPECT_EQ(db->executeQuery("SELECT 1"), nullptr);
    EXPECT_EQ(db->createCommand(), nullptr);
    EXPECT_TRUE(db->open(":memory:"));
    EXPECT_EQ(db->execute("CREATE TABLE em_device (x)"), 0);
}
