#include "support/MemoryBackend.h"
#include "system/native/IconvCodePage.h"

namespace vornix::test {

std::vector<RegistryBackend> AllRegistryBackends() {
    static const IconvCodePage codePage;
    return {{"Memory", [] { return std::make_unique<MemoryBackendInstance>(codePage); }}};
}

}  // namespace vornix::test
