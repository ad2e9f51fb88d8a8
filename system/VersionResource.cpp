#include "system/VersionResource.h"

#include <cstring>

namespace vornix {
namespace {

// One node of the block: wLength, wValueLength, wType, a NUL-terminated
// UTF-16 key, padding to 32 bits, the value, padding, then its children.
struct Node {
    std::size_t begin = 0;
    std::size_t end = 0;          // begin + wLength
    std::u16string key;
    std::size_t value = 0;        // offset of the value
    std::size_t valueBytes = 0;
    std::size_t children = 0;     // offset of the first child
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~static_cast<std::size_t>(3); }

std::uint16_t Word(const unsigned char* bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Reads the node at `at` within [at, limit); false when it does not fit.
bool ReadNode(const unsigned char* bytes, std::size_t at, std::size_t limit, Node& node) {
    if (at + 6 > limit) return false;
    const std::size_t length = Word(bytes, at);
    const std::size_t valueLength = Word(bytes, at + 2);
    const bool text = Word(bytes, at + 4) == 1;
    if (length < 6 || at + length > limit) return false;
    node.begin = at;
    node.end = at + length;
    node.key.clear();
    std::size_t p = at + 6;
    for (;; p += 2) {
        if (p + 2 > node.end) return false;
        const std::uint16_t c = Word(bytes, p);
        if (c == 0) break;
        node.key.push_back(static_cast<char16_t>(c));
    }
    node.value = Align4(p + 2);
    // A text value's length counts UTF-16 units, a binary one's bytes.
    node.valueBytes = text ? valueLength * 2 : valueLength;
    if (node.value + node.valueBytes > node.end) {
        if (valueLength != 0) return false;
        node.value = node.end;
    }
    node.children = Align4(node.value + node.valueBytes);
    return true;
}

}  // namespace

std::optional<VersionResource> ParseVersionResource(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    Node root;
    if (!bytes || !ReadNode(bytes, 0, size, root) || root.key != u"VS_VERSION_INFO") {
        return std::nullopt;
    }
    VersionResource info;
    if (root.valueBytes >= 52) {  // VS_FIXEDFILEINFO
        std::uint32_t fields[4];
        std::memcpy(fields, bytes + root.value, sizeof fields);
        if (fields[0] == 0xFEEF04BDu) {  // its signature
            info.fileVersionMS = fields[2];
            info.fileVersionLS = fields[3];
            info.hasFixedInfo = true;
        }
    }
    return info;
}

std::u16string VersionString(const void* data, std::size_t size, const std::u16string& key) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    Node root;
    if (!bytes || !ReadNode(bytes, 0, size, root) || root.key != u"VS_VERSION_INFO") return {};
    for (Node info; ReadNode(bytes, root.children, root.end, info);
         root.children = Align4(info.end)) {
        if (info.key != u"StringFileInfo") continue;
        Node table;
        if (!ReadNode(bytes, info.children, info.end, table)) return {};
        for (Node entry; ReadNode(bytes, table.children, table.end, entry);
             table.children = Align4(entry.end)) {
            if (entry.key != key) continue;
            std::u16string value;
            for (std::size_t p = entry.value; p + 2 <= entry.value + entry.valueBytes; p += 2) {
                const std::uint16_t c = Word(bytes, p);
                if (c == 0) break;
                value.push_back(static_cast<char16_t>(c));
            }
            return value;
        }
        return {};
    }
    return {};
}

}  // namespace vornix
