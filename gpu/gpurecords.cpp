#include "gpurecords.h"

void registerGpuRecordMetaTypes()
{
    qRegisterMetaType<NvCardBaseInfo>("NvCardBaseInfo");
    qRegisterMetaType<BoardTempCompleteInfo>("BoardTempCompleteInfo");
    qRegisterMetaType<NvInfo>("NvInfo");
}
