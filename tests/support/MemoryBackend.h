#pragma once
// The in-memory registry as a contract-test backend.
#include <memory>
#include <string>

#include "support/RegistryBackends.h"
#include "support/MemoryRegistryApi.h"

namespace vornix::test {

class MemoryBackendInstance final : public RegistryBackendInstance {
public:
    explicit MemoryBackendInstance(const AnsiCodePage& codePage)
        : api_(codePage), codePage_(codePage) {}
    RegistryApi& api() override { return api_; }
    const AnsiCodePage& codePage() override { return codePage_; }
    std::string scratchPath() const override { return "SOFTWARE\\VornixContractTest"; }

private:
    MemoryRegistryApi api_;
    const AnsiCodePage& codePage_;
};

}  // namespace vornix::test
