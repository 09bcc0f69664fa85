#include "app/ClientShutdown.h"

#include "db/ConnectionPool.h"
#include "db/RecordCaches.h"
#include "mqtt/FaultLookupWorker.h"
#include "mqtt/TransDataHandler.h"
#include "quillet/MqttClient.h"

void shutDownLiveDataAndDatabase(MqttClient*& client, TransDataHandler*& handler)
{
    if (client)
        client->stop();
    delete handler;
    handler = nullptr;
    delete client;
    client = nullptr;

    interruptDatabaseWork();
    FaultLookupWorker::instance().stop();

    // Also the lists the views kept using until their frame went.
    releaseRecordCaches();
    closeDatabase();
}
