#include "support/MemoryRegistryApi.h"

#include <algorithm>
#include <map>
#include <cstring>

namespace vornix {
namespace {

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A name with a NUL inside would be cut short by the platform and address
// another key; such names are refused, as the Win32 backend refuses them.
bool HasEmbeddedNul(const std::string& text) { return text.find('\0') != std::string::npos; }

// Upper-cases ASCII letters; the bytes of other characters in UTF-8 are all
// above 0x7F and stay as they are.
std::string FoldCase(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

// A UTF-8 path's keys; no byte of a character beyond ASCII is a backslash.
std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

struct MemoryRegistryApi::Node {
    struct Value {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    std::string name;
    std::string folded;  // FoldCase(name), the sort and lookup key
    Node* parent = nullptr;
    bool deleted = false;
    std::vector<NodePtr> children;  // sorted by folded name, as Windows enumerates
    std::vector<Value> values;      // creation order
    std::map<std::string, std::size_t> valueIndex;  // folded name -> position in `values`

    // Where a child named `key` (folded) is or would go: a binary search, so
    // a key with many subkeys does not make every path lookup linear.
    std::vector<NodePtr>::iterator Position(const std::string& key) {
        return std::lower_bound(children.begin(), children.end(), key,
                                [](const NodePtr& c, const std::string& k) { return c->folded < k; });
    }
    NodePtr Child(const std::string& childName) {
        const std::string key = FoldCase(childName);
        const auto at = Position(key);
        return at != children.end() && (*at)->folded == key ? *at : nullptr;
    }
    Value* FindValue(const std::string& valueName) {
        const auto at = valueIndex.find(FoldCase(valueName));
        return at == valueIndex.end() ? nullptr : &values[at->second];
    }
    Value& AddValue(const std::string& valueName) {
        valueIndex[FoldCase(valueName)] = values.size();
        values.push_back({valueName, 0, {}});
        return values.back();
    }
    bool RemoveValue(const std::string& valueName) {
        const auto at = valueIndex.find(FoldCase(valueName));
        if (at == valueIndex.end()) return false;
        const std::size_t position = at->second;
        values.erase(values.begin() + static_cast<std::ptrdiff_t>(position));
        valueIndex.erase(at);
        for (auto& entry : valueIndex) {
            if (entry.second > position) --entry.second;
        }
        return true;
    }
};

MemoryRegistryApi::MemoryRegistryApi(const AnsiCodePage& codePage) : codePage_(codePage) {
    for (std::int32_t root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
        roots_[RootHandle(root)] = std::make_shared<Node>();
    }
}

MemoryRegistryApi::~MemoryRegistryApi() = default;

std::string MemoryRegistryApi::FromAnsi(const std::string& ansi) const {
    return IsAscii(ansi) ? ansi : codePage_.FromAnsi(ansi);
}

std::string MemoryRegistryApi::ToAnsi(const std::string& unicode) const {
    return IsAscii(unicode) ? unicode : codePage_.ToAnsi(unicode);
}

MemoryRegistryApi::NodePtr MemoryRegistryApi::Resolve(RegKeyHandle key) const {
    if (auto root = roots_.find(key); root != roots_.end()) return root->second;
    if (auto open = handles_.find(key); open != handles_.end()) return open->second;
    return nullptr;
}

MemoryRegistryApi::NodePtr MemoryRegistryApi::Find(const NodePtr& from,
                                                   const std::string& path) const {
    NodePtr node = from;
    for (const auto& part : SplitPath(path)) {
        node = node->Child(part);
        if (!node) return nullptr;
    }
    return node;
}

std::string MemoryRegistryApi::PathOf(const Node& node) {
    std::string path;
    for (const Node* n = &node; n && n->parent; n = n->parent) {
        path = path.empty() ? n->name : n->name + "\\" + path;
    }
    return path;
}

long MemoryRegistryApi::Fail(Op op, const NodePtr& node, const std::string& subPath,
                             const std::string& name) {
    if (!fault_) return kErrorSuccess;
    std::string path = node ? PathOf(*node) : std::string();
    if (!subPath.empty()) path = path.empty() ? subPath : path + "\\" + subPath;
    return fault_(Call{op, path, name});
}

RegKeyHandle MemoryRegistryApi::NewHandle(NodePtr node) {
    const RegKeyHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = std::move(node);
    return handle;
}

long MemoryRegistryApi::OpenKey(RegKeyHandle root, const std::string& ansiPath, RegKeyHandle* out) {
    return Reach(Op::Open, root, ansiPath, out);
}

long MemoryRegistryApi::CreateKey(RegKeyHandle root, const std::string& ansiPath,
                                  RegKeyHandle* out) {
    return Reach(Op::Create, root, ansiPath, out);
}

long MemoryRegistryApi::Reach(Op op, RegKeyHandle root, const std::string& ansiPath,
                              RegKeyHandle* out) {
    const NodePtr from = Resolve(root);
    const std::string path = FromAnsi(ansiPath);
    if (long e = Fail(op, from, path, {})) return e;
    if (HasEmbeddedNul(ansiPath)) return kErrorInvalidParameter;
    if (!from) return kErrorInvalidHandle;
    if (from->deleted) return kErrorKeyDeleted;
    NodePtr node = from;
    for (const auto& part : SplitPath(path)) {
        NodePtr child = node->Child(part);
        if (!child && op == Op::Open) return kErrorFileNotFound;
        if (!child) {
            child = std::make_shared<Node>();
            child->name = part;
            child->folded = FoldCase(part);
            child->parent = node.get();
            node->children.insert(node->Position(child->folded), child);
        }
        node = child;
    }
    *out = NewHandle(std::move(node));
    return kErrorSuccess;
}

long MemoryRegistryApi::QueryValue(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) {
    return HasEmbeddedNul(name) ? Query(key, name, type, data, size)
                                : Query(key, FromAnsi(name), type, data, size);
}

// Value by value, as Windows reads them, ending at the first that cannot be
// read.
long MemoryRegistryApi::QueryValues(RegKeyHandle key, std::vector<ValueEntry>& entries,
                                    std::uint8_t* data, std::uint32_t* size) {
    std::vector<std::uint8_t> all;
    for (ValueEntry& e : entries) {
        e.offset = static_cast<std::uint32_t>(all.size());
        std::vector<std::uint8_t> one(64);
        e.size = static_cast<std::uint32_t>(one.size());
        long result = QueryValue(key, e.name, &e.type, one.data(), &e.size);
        if (result == kErrorMoreData) {
            one.resize(e.size);
            result = QueryValue(key, e.name, &e.type, one.data(), &e.size);
        }
        if (result != kErrorSuccess) return result;
        all.insert(all.end(), one.begin(), one.begin() + e.size);
    }
    const bool fits = all.size() <= *size;
    *size = static_cast<std::uint32_t>(all.size());
    if (!fits) return kErrorMoreData;
    std::copy(all.begin(), all.end(), data);
    return kErrorSuccess;
}

long MemoryRegistryApi::QueryValueUnicode(RegKeyHandle key, const std::string& name,
                                          std::uint32_t* type, std::uint8_t* data,
                                          std::uint32_t* size) {
    return Query(key, name, type, data, size);
}

long MemoryRegistryApi::Query(RegKeyHandle key, const std::string& name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
    const NodePtr node = Resolve(key);
    if (long e = Fail(Op::Query, node, {}, name)) return e;
    if (HasEmbeddedNul(name)) return kErrorInvalidParameter;
    if (!node) return kErrorInvalidHandle;
    if (node->deleted) return kErrorKeyDeleted;
    const Node::Value* value = node->FindValue(name);
    if (!value) return kErrorFileNotFound;
    const auto needed = static_cast<std::uint32_t>(value->data.size());
    if (data) {
        if (!size || *size < needed) {
            if (size) *size = needed;
            return kErrorMoreData;
        }
        if (needed) std::memcpy(data, value->data.data(), needed);
    }
    if (type) *type = value->type;
    if (size) *size = needed;
    return kErrorSuccess;
}

long MemoryRegistryApi::SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
    return HasEmbeddedNul(name) ? Set(key, name, type, data, size)
                                : Set(key, FromAnsi(name), type, data, size);
}

long MemoryRegistryApi::SetValueUnicode(RegKeyHandle key, const std::string& name,
                                        std::uint32_t type, const std::uint8_t* data,
                                        std::uint32_t size) {
    return Set(key, name, type, data, size);
}

long MemoryRegistryApi::Set(RegKeyHandle key, const std::string& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) {
    const NodePtr node = Resolve(key);
    const long fault = Fail(Op::Set, node, {}, name);
    if (fault != kErrorSuccess && fault != kWriteOtherwise) return fault;
    if (HasEmbeddedNul(name)) return kErrorInvalidParameter;
    if (!node) return kErrorInvalidHandle;
    if (node->deleted) return kErrorKeyDeleted;
    Node::Value* value = node->FindValue(name);
    if (!value) value = &node->AddValue(name);
    value->type = type;
    value->data.assign(data, data + size);
    if (fault == kWriteOtherwise) {
        if (value->data.empty()) value->data.push_back(0);
        value->data.back() ^= 0x01;
    }
    return kErrorSuccess;
}

long MemoryRegistryApi::EnumKey(RegKeyHandle key, std::uint32_t index, char* name,
                                std::uint32_t nameSize) {
    const NodePtr node = Resolve(key);
    if (long e = Fail(Op::EnumKey, node, {}, {})) return e;
    if (!node) return kErrorInvalidHandle;
    if (node->deleted) return kErrorKeyDeleted;
    if (index >= node->children.size()) return kErrorNoMoreItems;
    const std::string child = ToAnsi(node->children[index]->name);
    if (child.size() + 1 > nameSize) return kErrorMoreData;
    std::memcpy(name, child.c_str(), child.size() + 1);
    return kErrorSuccess;
}

long MemoryRegistryApi::EnumValue(RegKeyHandle key, std::uint32_t index, char* name,
                                  std::uint32_t* nameSize, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) {
    const NodePtr node = Resolve(key);
    if (long e = Fail(Op::EnumValue, node, {}, {})) return e;
    if (!node) return kErrorInvalidHandle;
    if (node->deleted) return kErrorKeyDeleted;
    if (index >= node->values.size()) return kErrorNoMoreItems;
    const Node::Value& value = node->values[index];
    const auto needed = static_cast<std::uint32_t>(value.data.size());
    const std::string valueName = ToAnsi(value.name);
    if (valueName.size() + 1 > *nameSize) return kErrorMoreData;
    if (data && (!dataSize || *dataSize < needed)) {
        if (dataSize) *dataSize = needed;
        return kErrorMoreData;
    }
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    *nameSize = static_cast<std::uint32_t>(valueName.size());
    if (data && needed) std::memcpy(data, value.data.data(), needed);
    if (dataSize) *dataSize = needed;
    if (type) *type = value.type;
    return kErrorSuccess;
}

long MemoryRegistryApi::DeleteKey(RegKeyHandle root, const std::string& ansiPath) {
    const NodePtr from = Resolve(root);
    const std::string path = FromAnsi(ansiPath);
    if (long e = Fail(Op::DeleteKey, from, path, {})) return e;
    // An empty path would name the root key itself.
    if (path.empty() || HasEmbeddedNul(ansiPath)) return kErrorInvalidParameter;
    if (!from) return kErrorInvalidHandle;
    if (from->deleted) return kErrorKeyDeleted;
    const NodePtr node = Find(from, path);
    if (!node) return kErrorFileNotFound;
    if (!node->parent) return kErrorAccessDenied;  // a root cannot be deleted
    if (!node->children.empty()) return kErrorAccessDenied;
    auto& siblings = node->parent->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), node));
    node->deleted = true;
    node->parent = nullptr;
    return kErrorSuccess;
}

long MemoryRegistryApi::DeleteValue(RegKeyHandle key, const std::string& ansiName) {
    const NodePtr node = Resolve(key);
    const std::string name = HasEmbeddedNul(ansiName) ? ansiName : FromAnsi(ansiName);
    if (long e = Fail(Op::DeleteValue, node, {}, name)) return e;
    if (HasEmbeddedNul(ansiName)) return kErrorInvalidParameter;
    if (!node) return kErrorInvalidHandle;
    if (node->deleted) return kErrorKeyDeleted;
    return node->RemoveValue(name) ? kErrorSuccess : kErrorFileNotFound;
}

long MemoryRegistryApi::CloseKey(RegKeyHandle key) {
    if (roots_.count(key)) return kErrorSuccess;
    return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace vornix
