#pragma once
// TLS of the client's database connections. The settings are put on the
// connection handle before it connects (soci's connection string cannot ask
// for the server's certificate to be verified against the host name, nor
// refuse a server that offers no TLS), so every connection to the
// configured server — the pool's sessions and their reconnects — either
// runs over a verified TLS link or fails before any login data is sent.
#include <string>

struct DatabaseTls {
    bool enabled = false;
    std::string caFile;    // trusted CAs: a PEM file ...
    std::string caPath;    // ... or a folder of hashed certificates
    std::string certFile;  // optional client certificate
    std::string keyFile;   // and its key
    bool verifyHost = true;  // the certificate must name the host connected to
};

// Every later connection to host:port uses `tls`; a disabled `tls` (or
// another server) leaves connections as they are.
void setDatabaseTls(const std::string& host, unsigned port, const DatabaseTls& tls);
void clearDatabaseTls();

// True when a connection error text comes from the TLS layer (the server's
// certificate did not verify, no TLS offered, handshake failed).
bool isTlsFailure(const std::string& errorText);
