#include "engine/RunDialogs.h"

#include "engine/Form1.h"
#include "engine/RunTexts.h"

namespace vornix {

Box NoMethodBox() {
    return {text::kChooseMethodPrompt, kMbOk | kMbIconExclamation, text::kNotOptimizedTitle};
}

// Informs only: no way to cancel, and no title of its own.
Box SummaryBox(const TuningSet& t, bool withMss) {
    auto n = [](std::int32_t v) { return std::to_string(v); };
    std::string s;
    s += "您的互联网连接将被优化的更快\r\n";
    s += "TCP/IP参数如下：\r\n\r\n";
    s += "最大传输单元 (MTU)\t= " + n(t.lngMTU) + " 字节\r\n";
    if (withMss) s += "段最大值 (MSS)\t\t= " + n(t.lngMSS) + " 字节\r\n";
    s += "接收窗口 (RWIN)\t\t= " + n(t.lngRWIN) + " 字节\r\n";
    s += "生存时间 (TTL)\t\t\t= " + n(t.lngTTL) + " hops\r\n";
    s += "PMTU 黑洞检测\t\t= " + n(t.lngPMTUBHDetect) + "\r\n";
    s += "PMTU 检测\t\t\t= " + n(t.lngPMTUDiscovery) + "\r\n";
    s += "选择性确认 (SACK)\t= " + n(t.lngSackOpts) + "\r\n";
    s += "RFC 1323 选项\t\t\t= " + n(t.lngTcp1323Opts);
    return {s, kMbOk | kMbIconInformation, kAppTitle};
}

Box RestoreQuestionBox() { return {text::kRestoreQuestion, kMbYesNo | kMbIconQuestion, kAppTitle}; }

Box FailureBox(FailedStep step, const std::string& reason) {
    std::string prompt = step == FailedStep::Backup  ? text::kBackupFailedMessage
                         : step == FailedStep::Apply ? text::kApplyFailedMessage
                                                     : text::kRestoreFailedMessage;
    if (!reason.empty()) prompt += "\r\n\r\n" + reason;
    return {prompt, kMbOk | kMbIconExclamation, kAppTitle};
}

std::string RestartNeededText(RunKind kind) {
    return std::string(kind == RunKind::Optimize ? text::kClosingHeadOptimize
                                                 : text::kClosingHeadRestore) +
           text::kRestartNeeded;
}

Box RestartQuestionBox(RunKind kind) {
    return {RestartNeededText(kind) + text::kRestartQuestion, kMbYesNo | kMbIconQuestion,
            text::kClosingTitle};
}

Box RestartFailedBox(RunKind kind) {
    return {kind == RunKind::Optimize ? text::kRestartFailedMessage
                                      : text::kRestartFailedAfterRestoreMessage,
            kMbOk | kMbIconExclamation, kAppTitle};
}

Box TimerFailedBox() { return {text::kTimerFailedMessage, kMbOk | kMbIconExclamation, kAppTitle}; }

}  // namespace vornix
