// The abstract classes: abstract, destroyed only by their back end, and
// with a virtual destructor exactly where the interface has one.
#include <gtest/gtest.h>

#include <type_traits>

#include "tessaly/database/DBBulkInserter.h"
#include "tessaly/database/DBCommand.h"
#include "tessaly/database/DBConnection.h"
#include "tessaly/database/DBDataReader.h"
#include "tessaly/database/DBLob.h"
#include "tessaly/database/DBParameter.h"
#include "tessaly/database/DBParameterCollection.h"
#include "tessaly/database/DBStoreProcParameterSchema.h"
#include "tessaly/database/DBStoreProcedureSchema.h"
#include "tessaly/database/DBTVector.h"
#include "tessaly/database/DBTableColumnSchema.h"
#include "tessaly/database/DBTableSchema.h"
#include "tessaly/database/DBValue.h"

using namespace tessaly::database;

namespace {

template <class T, bool VirtualDestructor>
constexpr bool shaped()
{
    return std::is_abstract_v<T> && !std::is_destructible_v<T> && std::has_virtual_destructor_v<T> == VirtualDestructor &&
           std::is_default_constructible_v<T> == false; // abstract: never made directly
}

} // namespace

TEST(DatabaseInterfaceTest, DestructorsAreProtectedAndVirtualWhereDeclared)
{
    static_assert(shaped<DBConnection, false>());
    static_assert(shaped<DBCommand, false>());
    static_assert(shaped<DBDataReader, false>());
    static_assert(shaped<DBParameter, false>());
    static_assert(shaped<DBParameterCollection, false>());
    static_assert(shaped<DBValue, false>());
    static_assert(shaped<DBLob, true>());
    static_assert(shaped<DBTVector, true>());
    static_assert(shaped<DBBulkInserter, true>());
    static_assert(shaped<DBTableSchema, true>());
    static_assert(shaped<DBTableColumnSchema, false>());
    static_assert(shaped<DBStoreProcedureSchema, true>());
    static_assert(shaped<DBStoreProcParameterSchema, false>());
    SUCCEED();
}
