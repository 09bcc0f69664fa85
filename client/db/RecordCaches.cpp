#include "db/RecordCaches.h"

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

void releaseRecordCaches()
{
    EMDevice::releaseAll();
    EMProtocol::releaseAll();
    EMPassageway::releaseAll();
    EMDeviceGroup::releaseAll();
    EMDeviceGroupItem::releaseAll();
    EMUserDevice::releaseAll();
    EMUser::releaseAll();
    EMRoleModule::releaseAll();
    EMModule::releaseAll();
    EMRole::releaseAll();
    EMRealDataCommunication::releaseAll();
}
