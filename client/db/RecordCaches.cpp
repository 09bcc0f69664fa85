#include "db/RecordCaches.h"

#include <iterator>

#include "db/EMDevice.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMModule.h"
#include "db/EMPassageway.h"
#include "db/EMProtocol.h"
#include "db/EMRealDataCommunication.h"
#include "db/EMRole.h"
#include "db/EMRoleModule.h"
#include "db/EMUser.h"
#include "db/EMUserDevice.h"

namespace {

struct RecordCache {
    bool (*load)();
    void (*release)();
};

// In loading order: the device tables first, then users, roles and modules.
constexpr RecordCache kRecordCaches[] = {
    {&EMDevice::createAll, &EMDevice::releaseAll},
    {&EMProtocol::createAll, &EMProtocol::releaseAll},
    {&EMPassageway::createAll, &EMPassageway::releaseAll},
    {&EMDeviceGroup::createAll, &EMDeviceGroup::releaseAll},
    {&EMDeviceGroupItem::createAll, &EMDeviceGroupItem::releaseAll},
    {&EMUser::createAll, &EMUser::releaseAll},
    {&EMUserDevice::createAll, &EMUserDevice::releaseAll},
    {&EMRoleModule::createAll, &EMRoleModule::releaseAll},
    {&EMModule::createAll, &EMModule::releaseAll},
    {&EMRole::createAll, &EMRole::releaseAll},
};

}  // namespace

void loadRecordCaches()
{
    for (const RecordCache& cache : kRecordCaches)
        cache.load();
}

void releaseRecordCaches()
{
    EMRealDataCommunication::releaseAll();
    for (auto cache = std::rbegin(kRecordCaches); cache != std::rend(kRecordCaches); ++cache)
        cache->release();
}
