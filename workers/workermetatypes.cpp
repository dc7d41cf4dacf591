#include "workermetatypes.h"

#include "gpurecords.h"
#include "lcddisplaymode.h"

#include <QList>
#include <QMetaType>
#include <QPoint>

void registerWorkerMetaTypes()
{
    registerGpuRecordMetaTypes();
    qRegisterMetaType<LCDDisplayMode>("LCDDisplayMode");
    qRegisterMetaType<QList<QPoint>>("QList<QPoint>");
}
