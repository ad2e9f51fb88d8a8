#pragma once
// The console tool's own texts, in the program's language. The run's
// texts are the window's (engine/RunTexts.h).

namespace vornix::text {

inline constexpr const char* kUsageHint = "输入 vornix --help 查看用法。";
inline constexpr const char* kUnknownCommand = "未知的命令：";
inline constexpr const char* kUnknownOption = "未知的选项：";
inline constexpr const char* kMissingNumber = "选项后缺少数字：";
// Each followed by the number of choices, then kOutOfRangeEnd and the number given.
inline constexpr const char* kMethodOutOfRange = "网络连接方式必须是 1 到 ";
inline constexpr const char* kSpeedOutOfRange = "此连接方式的网速必须是 1 到 ";
inline constexpr const char* kOutOfRangeEnd = " 之间的数字：";
inline constexpr const char* kChoiceIncomplete = "--method 和 --speed 必须同时给出。";
inline constexpr const char* kChoiceRequired = "optimize 需要 --method 和 --speed。";
inline constexpr const char* kOptionNotHere = "此命令不接受该选项：";
inline constexpr const char* kNoCommand = "请给出一个命令。";
inline constexpr const char* kAlreadyRunning =
    "Vornix Internet Optimizer 的窗口或另一个 vornix 正在运行，请先关闭它。";

// backup --set-aside.
inline constexpr const char* kSetAsideDone = "已将损坏的备份移到：";
inline constexpr const char* kSetAsideComplete =
    "此 Windows 系列的备份完好，没有移开。可以使用 vornix restore 还原。";
inline constexpr const char* kSetAsideNone = "没有此 Windows 系列的备份可以移开。";
inline constexpr const char* kSetAsideFailed = "未能移开损坏的备份（错误代码 ";
inline constexpr const char* kSetAsideFailedEnd = "），备份仍在原处：";
inline constexpr const char* kSetAsideCopied = "已将损坏的备份完整复制到：";
inline constexpr const char* kSetAsideNotDeleted = "，但未能删除原处的备份（错误代码 ";
inline constexpr const char* kSetAsideNotDeletedEnd = "）：";

// Status.
inline constexpr const char* kWindowsFamily = "Windows 系列：";
inline constexpr const char* kFamilyWin9x = "Windows 95/98/ME";
inline constexpr const char* kFamilyNT = "Windows NT/2000/XP 及更高版本";
inline constexpr const char* kFamilyUnknown = "无法识别此 Windows 版本";
inline constexpr const char* kBackup = "原系统配置的备份：";
inline constexpr const char* kBackupNone = "无";
inline constexpr const char* kBackupOf = "有，";
inline constexpr const char* kBackupDamaged = "已损坏，";
inline constexpr const char* kBackupUnreadable = "无法读取，";
// A copy `backup --set-aside` made, by its key; in status, its values below.
inline constexpr const char* kSetAsideCopy = "移到一旁的备份：";
// The product key's subkeys could not be listed, followed by the key.
inline constexpr const char* kCopiesNotListed = "无法列出移到一旁的备份：";
// A value of a copy that is neither a DWORD nor a string: its type, then its bytes.
inline constexpr const char* kStoredType = "类型 ";
inline constexpr const char* kChoice = "选择：";
inline constexpr const char* kInterface = "接口 ";
inline constexpr const char* kNotSet = "未设置（Windows 默认值）";
inline constexpr const char* kUnreadable = "无法读取";
inline constexpr const char* kNotANumber = "不是有效的数字";
inline constexpr const char* kBecomes = " → ";
inline constexpr const char* kPreviewNote = "箭头右侧为优化后的新值。";
inline constexpr const char* kWindowsVersion = "Windows 版本：";
inline constexpr const char* kBuild = "，内部版本 ";
// Whether this Windows reads a value, on the line below it.
inline constexpr const char* kReads = "此 Windows 读取：";
inline constexpr const char* kNotRead = "此 Windows 不读取：";
inline constexpr const char* kReadUnknown = "此 Windows 是否读取未知：";
// Beside the arrow of a value this Windows does not read.
inline constexpr const char* kNotReadMark = "（不生效）";

}  // namespace vornix::text
