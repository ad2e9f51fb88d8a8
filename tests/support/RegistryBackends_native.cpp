#include "support/MemoryBackend.h"
#include "system/native/IconvCodePage.h"

namespace vornix::test {

const AnsiCodePage& TestCodePage() {
    static const IconvCodePage codePage;
    return codePage;
}

std::vector<RegistryBackend> AllRegistryBackends() {
    return {{"Memory", [] { return std::make_unique<MemoryBackendInstance>(TestCodePage()); }}};
}

}  // namespace vornix::test
