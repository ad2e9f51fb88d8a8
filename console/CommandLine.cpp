#include "console/CommandLine.h"

#include <string_view>

#include "console/ConsoleTexts.h"
#include "profiles/ConnectionProfiles.h"

namespace vornix {
namespace {

using Command = CommandLine::Command;

std::optional<int> WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

ParsedCommandLine Error(std::string reason) { return {std::nullopt, std::move(reason)}; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    // The program's name ends at the first blank outside quotes; it has no
    // escapes.
    std::size_t i = 0;
    bool quoted = false;
    for (; i < line.size() && (quoted || !blank(line[i])); ++i) {
        if (line[i] == '"') quoted = !quoted;
    }
    std::vector<std::string> args;
    for (;;) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) return args;
        std::string arg;
        quoted = false;
        while (i < line.size() && (quoted || !blank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                for (; i < line.size() && line[i] == '\\'; ++i) ++slashes;
                const bool beforeQuote = i < line.size() && line[i] == '"';
                arg.append(beforeQuote ? slashes / 2 : slashes, '\\');
                // An odd count escapes the quote; after an even one it delimits.
                if (beforeQuote && slashes % 2 == 1) {
                    arg += '"';
                    ++i;
                }
            } else if (line[i] == '"') {
                // Two quotes inside quotes are one literal quote.
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return Error(text::kNoCommand);
    CommandLine line;
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "/?" || command == "help") {
        line.command = Command::Help;
    } else if (command == "--version") {
        line.command = Command::Version;
    } else if (command == "status") {
        line.command = Command::Status;
    } else if (command == "optimize") {
        line.command = Command::Optimize;
    } else if (command == "restore") {
        line.command = Command::Restore;
    } else if (command == "backup") {
        line.command = Command::Backup;
    } else {
        return Error(text::kUnknownCommand + command);
    }

    std::optional<int> method, speed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> value;
        if (const std::size_t equals = option.find('='); equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        const bool takesChoice = line.command == Command::Status || line.command == Command::Optimize;
        if ((option == "--method" || option == "--speed") && takesChoice) {
            if (!value) {
                if (i + 1 == args.size()) return Error(text::kMissingNumber + option);
                value = args[++i];
            }
            const std::optional<int> number = WholeNumber(*value);
            if (!number) return Error(text::kMissingNumber + option + " " + *value);
            (option == "--method" ? method : speed) = number;
        } else if (option == "--json" && !value && line.command == Command::Status) {
            line.json = true;
        } else if (option == "--set-aside" && !value && line.command == Command::Backup) {
            line.setAside = true;
        } else if (option == "--method" || option == "--speed" || option == "--json" ||
                   option == "--set-aside") {
            return Error(text::kOptionNotHere + option);
        } else {
            return Error(text::kUnknownOption + args[i]);
        }
    }
    if (line.command == Command::Help || line.command == Command::Version) return {line, {}};
    if (method.has_value() != speed.has_value()) return Error(text::kChoiceIncomplete);
    if (line.command == Command::Optimize && !method) return Error(text::kChoiceRequired);
    if (method) {
        const auto methods = ConnectionMethods();
        if (*method < 1 || *method > static_cast<int>(methods.size())) {
            return Error(text::kMethodOutOfRange + std::to_string(methods.size()) + text::kOutOfRangeEnd +
                         std::to_string(*method));
        }
        const auto speeds = methods[static_cast<std::size_t>(*method - 1)].speeds.size();
        if (*speed < 1 || *speed > static_cast<int>(speeds)) {
            return Error(text::kSpeedOutOfRange + std::to_string(speeds) + text::kOutOfRangeEnd +
                         std::to_string(*speed));
        }
        line.method = *method - 1;
        line.speed = *speed - 1;
    }
    return {line, {}};
}

std::string HelpText() {
    std::string help =
        "用法：\n"
        "  vornix status [--method N --speed N] [--json]\n"
        "      显示正在运行的 Windows 系列和版本、是否有原系统配置的备份，以及本程序\n"
        "      管理的每个值的当前值和此 Windows 是否读取它；给出选择时，在每个当前值\n"
        "      旁显示优化后的新值。\n"
        "      --json 以一个 UTF-8 JSON 对象输出同样的内容。无需管理员权限。\n"
        "  vornix optimize --method N --speed N\n"
        "      与窗口中的“优化”相同：没有备份时先备份，再写入新值并核对。\n"
        "      完成后提示需要重新启动，但不会自动重新启动。\n"
        "  vornix restore\n"
        "      与窗口中的“还原系统设置”相同。没有任何备份时退出代码为 5。\n"
        "  vornix backup\n"
        "      显示原系统配置的备份的状态，以及每个移到一旁的备份所在的注册表项。\n"
        "      只读取，不写入；无需管理员权限。\n"
        "      退出代码 0：有此 Windows 系列的完整备份，可以还原；5：没有任何备份，\n"
        "      也没有移到一旁的备份；1：有备份，但无法在此 Windows 上还原（已损坏、\n"
        "      无法读取、只有另一 Windows 系列的备份，或只有移到一旁的备份）；\n"
        "      6：有可以还原的完整备份，另外还有移到一旁的备份（还原不会动它们）。\n"
        "  vornix backup --set-aside\n"
        "      将此 Windows 系列已损坏的备份整个移到本程序注册表项中的新名称下\n"
        "      （<备份项>.damaged-N），不删除任何内容，之后再次优化时会重新备份。\n"
        "      只移开已损坏的备份：备份完好时退出代码为 1，没有备份时为 5。\n"
        "      需要管理员权限。\n"
        "  vornix --help      显示本帮助。\n"
        "  vornix --version   显示版本。\n"
        "\n"
        "网络连接方式（--method）及其网速（--speed）：\n";
    int m = 1;
    for (const ConnectionMethod& method : ConnectionMethods()) {
        help += "  " + std::to_string(m++) + "  " + method.caption + "\n      ";
        for (std::size_t s = 0; s < method.speeds.size(); ++s) {
            const bool last = s + 1 == method.speeds.size();
            help += std::to_string(s + 1) + " " + method.speeds[s].caption +
                    (last ? "\n" : (s + 1) % 5 == 0 ? "\n      " : "，");
        }
    }
    help +=
        "\n"
        "退出代码：\n"
        "  0  完成\n"
        "  1  操作未完成；没有丢失任何设置，原因与窗口中显示的相同\n"
        "  2  用法错误：未知的命令或选项，或网络连接方式、网速超出范围；未读写任何内容\n"
        "  3  需要管理员权限（注册表拒绝了写入）\n"
        "  4  程序窗口或另一个 vornix 正在运行\n"
        "  5  （restore、backup、backup --set-aside）没有备份：本程序的注册表项中没有任何 Windows 系列的\n"
        "     原系统配置备份，也没有移到一旁的备份；未还原或更改任何内容\n"
        "  6  （backup）有可以还原的备份，另外还有移到一旁的备份\n";
    return help;
}

}  // namespace vornix
