#pragma once

#include "tessaly/database/DBConnection.h"

// Loading back ends. A back end is a shared library exporting, unmangled:
//   DBConnection* createConnection();            // null on failure
//   void releaseConnection(DBConnection* conn);  // destroys it
// (with C linkage; see TESSALY_DB_BACKEND_EXPORT).
namespace tessaly::database {

extern "C" {

// Loads the back end at libraryPath and asks it for a connection. On
// failure returns null and copies the reason, truncated to errorSize - 1
// characters, into errorBuffer (when given and errorSize >= 1):
// "invalid parameter passed", "Failed to Get Function 'createConnection'!"
// or "Failed to Create 'DBConnection'!". A library that does not load
// throws InitializeFailException ("Failed to load library.").
__attribute__((visibility("default"))) DBConnection* createDBConnection(const char* libraryPath, char* errorBuffer,
                                                                        int errorSize);

// Hands the connection back to the back end that made it and unloads that
// back end. Pointers this library did not hand out are ignored.
__attribute__((visibility("default"))) void releaseDBConnection(DBConnection* connection);

} // extern "C"

// Entry point types of a back end.
using CreateConnectionFunction = DBConnection* (*)();
using ReleaseConnectionFunction = void (*)(DBConnection*);

} // namespace tessaly::database

#define TESSALY_DB_BACKEND_EXPORT extern "C" __attribute__((visibility("default")))
