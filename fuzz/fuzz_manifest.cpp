// libFuzzer entry: update_info.xml as the update check and the updater read it.

#include "manifestfuzzcheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString failure
        = ManifestFuzzCheck::run(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "manifest check failed: %s\n", failure.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
