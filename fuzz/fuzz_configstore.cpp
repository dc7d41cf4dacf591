// libFuzzer entry: config.xml for the settings store.

#include "configstorefuzzcheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString failure
        = ConfigStoreFuzzCheck::run(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "config.xml check failed: %s\n", failure.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
