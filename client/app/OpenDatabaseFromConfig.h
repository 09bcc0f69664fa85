#pragma once
// Opening the database with the server of the configuration (Config's
// workParam): its TLS settings, time-outs and connection string.

// openDatabase(connectionString) (db/Database.h) with the configured
// server: both pool sessions opened, every record cache loaded.
bool openDatabase();
