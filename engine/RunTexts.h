#pragma once
// The texts the run shows, in the program's language.
#include <cstddef>
#include <string>
#include <vector>

namespace vornix::text {

// Optimize without a connection method.
inline constexpr const char* kChooseMethodPrompt = "首先，请指定您的网络连接方式";
inline constexpr const char* kNotOptimizedTitle = "您的TCP / IP协议不能得到优化！";

inline constexpr const char* kRestoreQuestion = "你想恢复到原来的TCP/IP配置。";

// Status line, by progress value.
inline constexpr const char* kStatusAnalyse = "分析互联网的连接类型";
inline constexpr const char* kStatusBackup = "创建原系统配置的备份";
inline constexpr const char* kStatusRestoring = "恢复原来的系统配置";
inline constexpr const char* kStatusConfigure = "配置 TCP/IP 参数";
// (30 to 90 name the values: their rows, engine/TcpipValues.cpp.)
inline constexpr const char* kStatusDone = "优化完成";
inline constexpr const char* kStatusBackupExists =
    "原配置的备份已经存在。你可以使用'还原按钮'将其还原。";
inline constexpr const char* kStatusRestored = "系统配置已恢复成功。";

// The closing question.
inline constexpr const char* kClosingHeadOptimize = "优化完成";
inline constexpr const char* kClosingHeadRestore = "您的TCP/IP参数已恢复到了原有值";
// The closing message: its head, then these two.
inline constexpr const char* kRestartNeeded = "。请重新启动您的系统\r\n为使更改生效。";
inline constexpr const char* kRestartQuestion = "你现在要重启计算机吗？";
inline constexpr const char* kClosingTitle = "推荐";

// A run that could not do its work.
inline constexpr const char* kStatusBackupFailed = "未能创建原系统配置的备份，系统设置未作更改。";
inline constexpr const char* kBackupFailedMessage =
    "未能创建原系统配置的备份，因此没有更改任何 TCP/IP 参数。";
inline constexpr const char* kStatusApplyFailed = "未能写入新的 TCP/IP 参数，优化未完成。";
inline constexpr const char* kApplyFailedMessage =
    "未能写入新的 TCP/IP 参数，优化未完成。\r\n您可以使用'还原按钮'恢复原来的配置。";
inline constexpr const char* kStatusRestoreFailed = "未能恢复原来的系统配置。";
inline constexpr const char* kRestoreFailedMessage = "未能恢复原来的 TCP/IP 配置。";

// Why: the second part of those messages.
inline constexpr const char* kReasonUnknownWindows = "无法识别此 Windows 版本。";
inline constexpr const char* kReasonWriteRefused = "注册表拒绝了写入 (HKEY_LOCAL_MACHINE)。";
// Follows it on the NT family; Windows 95/98/ME has no administrator rights.
inline constexpr const char* kRunAsAdministrator = "请以管理员身份运行本程序后重试。";
inline constexpr const char* kReasonNoBackup = "没有找到原系统配置的备份。";
// Each followed by the key (and value) it names, as HKEY_LOCAL_MACHINE\...
inline constexpr const char* kReasonNotNumber = "注册表中的值不是有效的数字：";
inline constexpr const char* kReasonReadFailed = "无法读取注册表项：";
inline constexpr const char* kReasonStoreDamaged = "原系统配置的备份已损坏，因此没有写入任何值：";
// After the damaged value: the way out.
inline constexpr const char* kSetAsideHint =
    "管理员可以运行“vornix backup --set-aside”将损坏的备份移到一旁（不删除任何内容），"
    "之后再次优化时会重新备份。";

// A reason followed by the registry key it names, and the value when given.
inline std::string Naming(const char* reason, const std::string& key,
                          const std::string& value = {}) {
    std::string text = reason;
    text += "HKEY_LOCAL_MACHINE\\";
    text += key;
    if (!value.empty()) text += "\\" + value;
    return text;
}

// The restart the user asked for could not be started: after an optimize
// run, and after a restore run, which wrote the original values back.
inline constexpr const char* kRestartFailedMessage =
    "未能重新启动计算机。新的 TCP/IP 参数将在您下次重新启动计算机后生效。";
inline constexpr const char* kRestartFailedAfterRestoreMessage =
    "未能重新启动计算机。原来的 TCP/IP 参数将在您下次重新启动计算机后生效。";

// Added below the closing question of an optimize run that made a fresh
// backup while copies set aside by `vornix backup --set-aside` exist,
// followed by their keys.
inline constexpr const char* kFreshBackupBesideCopies =
    "注意：没有可用的备份，因此新建了备份。新备份保存的是优化前此刻的值，可能是以前某次优化写入的值。"
    "移到一旁的备份仍保存在：";

inline std::string FreshBackupBesideCopies(const std::vector<std::string>& keys) {
    std::string line = kFreshBackupBesideCopies;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        line += (i ? "；HKEY_LOCAL_MACHINE\\" : "HKEY_LOCAL_MACHINE\\") + keys[i];
    }
    return line;
}

// What a newer Windows than the program was made for makes of the values an
// optimize writes: the summary's added paragraph, its heading followed by
// the version, then a line a value, its name followed by one of these and
// its reason ("；查看：" and the command that shows the setting in its place).
inline constexpr const char* kOnThisWindows = "此 Windows 版本 ";
inline constexpr const char* kNotReadHere = "（此 Windows 不读取）：";
inline constexpr const char* kChangesDefaultHere = "（会改变此 Windows 的默认设置）：";
inline constexpr const char* kSeeAlso = "；查看：";

// The closing question's added line: of `written` values, how many this
// Windows reads, does not read, and is not known to read.
inline std::string ReadCount(std::size_t written, std::size_t read, std::size_t notRead,
                             std::size_t unknown) {
    return "据 Microsoft 的文档，写入的 " + std::to_string(written) + " 个值中，此 Windows 读取 " +
           std::to_string(read) + " 个，不读取 " + std::to_string(notRead) + " 个，" +
           std::to_string(unknown) + " 个是否读取未知。";
}

// The run timer could not be started: no run began.
inline constexpr const char* kTimerFailedMessage = "无法启动计时器，请关闭其它程序后重试。";

}  // namespace vornix::text
