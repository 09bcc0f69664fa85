#pragma once
// The exit steps of the client's live data and database, run by the
// program's exit and by the soak driver, which drives the same parts.
class MqttClient;
class TransDataHandler;

// In this order: the MQTT client is stopped, so no callback can reach the
// handler any more; the handler and then the client are deleted; database
// calls still blocked on a server that stopped answering fail at once and
// the fault lookups end (exit never waits on the database); the record
// caches are emptied; the pool's sessions are closed. Either pointer may be
// null; both are null afterwards.
void shutDownLiveDataAndDatabase(MqttClient*& client, TransDataHandler*& handler);
