#pragma once
// A registry held in memory that follows the contract of the Windows
// registry's narrow functions: names compare without regard to case, values
// are typed, create opens what exists, enumeration fails for a name or data
// that does not fit the caller's buffer, a key with subkeys cannot be deleted,
// and a deleted key's open handles fail with ERROR_KEY_DELETED.
//
// Key and value names are held in Unicode (as UTF-8), as the registry holds
// them: a narrow name is converted from the ANSI code page on the way in and
// back on the way out, so a name the code page cannot hold arrives as "?",
// and the Unicode-named calls reach names no code page gives. A code page
// that changes between calls (SwitchableCodePage) is a user changing the
// language for non-Unicode programs. Data is kept as the bytes it arrives in.
// Case is folded for ASCII letters only.
//
// Tests can make any operation fail through a fault hook, which sees every
// call but CloseKey.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system/AnsiCodePage.h"
#include "system/RegistryApi.h"

namespace vornix {

class MemoryRegistryApi final : public RegistryApi {
public:
    enum class Op {
        Open, Create, Query, Set, EnumKey, EnumValue, DeleteKey, DeleteValue, Close
    };

    struct Call {
        Op op;
        std::string path;  // the key's full path below its root, UTF-8
        std::string name;  // value name for Query, Set and DeleteValue, UTF-8
    };
    // Returns the error code the call should fail with, or 0 to let it run.
    using FaultHook = std::function<long(const Call&)>;
    // What a fault hook returns to make a Set succeed with other data than
    // it was given (its last byte changed, or one byte for none): a
    // registry that keeps something else without saying so.
    static constexpr long kWriteOtherwise = -1;

    explicit MemoryRegistryApi(const AnsiCodePage& codePage);
    ~MemoryRegistryApi() override;

    long OpenKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) override;
    long CreateKey(RegKeyHandle root, const std::string& path, RegKeyHandle* out) override;
    long QueryValue(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* size) override;
    long SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size) override;
    long QueryValues(RegKeyHandle key, std::vector<ValueEntry>& entries, std::uint8_t* data,
                     std::uint32_t* size) override;
    long QueryValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) override;
    long SetValueUnicode(RegKeyHandle key, const std::string& name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) override;
    long EnumKey(RegKeyHandle key, std::uint32_t index, char* name,
                 std::uint32_t nameSize) override;
    long EnumValue(RegKeyHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                   std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
    long DeleteKey(RegKeyHandle root, const std::string& path) override;
    long DeleteValue(RegKeyHandle key, const std::string& name) override;
    long CloseKey(RegKeyHandle key) override;

    void SetFaultHook(FaultHook hook) { fault_ = std::move(hook); }
    // Handles opened and not yet closed; 0 when every caller closed its keys.
    std::size_t OpenHandles() const { return handles_.size(); }


private:
    struct Node;
    using NodePtr = std::shared_ptr<Node>;

    NodePtr Resolve(RegKeyHandle key) const;
    NodePtr Find(const NodePtr& from, const std::string& path) const;
    long Fail(Op op, const NodePtr& node, const std::string& subPath, const std::string& name);
    // Opens the key at the path, or with Op::Create makes what is missing.
    long Reach(Op op, RegKeyHandle root, const std::string& ansiPath, RegKeyHandle* out);
    // A narrow name or path as the registry holds it, and back.
    std::string FromAnsi(const std::string& ansi) const;
    std::string ToAnsi(const std::string& unicode) const;
    long Query(RegKeyHandle key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
               std::uint32_t* size);
    long Set(RegKeyHandle key, const std::string& name, std::uint32_t type,
             const std::uint8_t* data, std::uint32_t size);
    RegKeyHandle NewHandle(NodePtr node);
    static std::string PathOf(const Node& node);

    const AnsiCodePage& codePage_;
    std::map<RegKeyHandle, NodePtr> roots_;
    std::map<RegKeyHandle, NodePtr> handles_;
    RegKeyHandle nextHandle_ = 0x1000;
    FaultHook fault_;
};

}  // namespace vornix
