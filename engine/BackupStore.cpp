#include "engine/BackupStore.h"

#include <algorithm>

#include "engine/NumberText.h"

namespace vornix {

std::string JoinNames(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) {
        if (!list.empty()) list += ",";
        list += name;
    }
    return list;
}

std::set<std::string> SplitNames(const std::string& list) {
    std::set<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (end > start) names.insert(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

namespace {

std::string Field(const std::optional<std::int32_t>& value) {
    return value ? std::to_string(*value) : "-";
}

// "-" for absent, else a number; false for anything else.
bool ParseField(std::string_view text, std::optional<std::int32_t>& value) {
    if (text == "-") {
        value.reset();
        return true;
    }
    value = ParseNumberText(text);
    return value.has_value();
}

}  // namespace

std::string FormatInterfaceRecord(const InterfaceRecord& record) {
    return "MTU=" + Field(record.mtu) + ";TcpWindowSize=" + Field(record.tcpWindowSize);
}

std::optional<InterfaceRecord> ParseInterfaceRecord(const std::string& text) {
    static constexpr std::string_view kMtu = "MTU=";
    static constexpr std::string_view kWindow = ";TcpWindowSize=";
    const std::size_t window = text.find(kWindow);
    if (text.rfind(kMtu, 0) != 0 || window == std::string::npos) return std::nullopt;
    InterfaceRecord record;
    const std::string_view all(text);
    if (!ParseField(all.substr(kMtu.size(), window - kMtu.size()), record.mtu) ||
        !ParseField(all.substr(window + kWindow.size()), record.tcpWindowSize)) {
        return std::nullopt;
    }
    return record;
}

}  // namespace vornix
