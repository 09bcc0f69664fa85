#pragma once
// Between the TLS settings of the database connections (DatabaseTls.cpp) and
// the platform's way of getting between soci and the client library's
// mysql_real_connect (MysqlTlsHandle_<platform>.cpp).
#include <mysql.h>

// Puts the settings for host:port on `mysql` before it connects. False when
// the library refuses one of them: the connection must not go ahead in clear.
bool applyDatabaseTls(MYSQL* mysql, const char* host, unsigned int port);

// Called when TLS settings are set: makes sure every later connect passes
// through applyDatabaseTls.
void hookDatabaseConnects();
