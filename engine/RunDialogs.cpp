#include "engine/RunDialogs.h"

#include "engine/RunTexts.h"

namespace vornix {
namespace {

// Informs only: no way to cancel, and no title of its own.
std::string SummaryText(const TuningSet& t, bool withMss) {
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
    return s;
}

// The box's own text, then its notes as one paragraph of their own.
std::string WithNotes(std::string text, const std::vector<std::string>& notes) {
    for (std::size_t i = 0; i < notes.size(); ++i) text += (i ? "\r\n" : "\r\n\r\n") + notes[i];
    return text;
}

}  // namespace

std::string RestartNeededText(RunKind kind) {
    return std::string(kind == RunKind::Optimize ? text::kClosingHeadOptimize
                                                 : text::kClosingHeadRestore) +
           text::kRestartNeeded;
}

Box BoxFor(const Dialog& d) {
    constexpr int kWarning = kMbOk | kMbIconExclamation;
    constexpr int kQuestion = kMbYesNo | kMbIconQuestion;
    switch (d.kind) {
        case Dialog::Kind::NoMethodChosen:
            return {text::kChooseMethodPrompt, kWarning, text::kNotOptimizedTitle};
        case Dialog::Kind::Summary:
            return {WithNotes(SummaryText(d.tuning, d.withMss), d.notes), kMbOk | kMbIconInformation,
                    kAppTitle};
        case Dialog::Kind::ConfirmRestore:
            return {text::kRestoreQuestion, kQuestion, kAppTitle};
        case Dialog::Kind::RunFailed:
            return {std::string(d.step == FailedStep::Backup  ? text::kBackupFailedMessage
                                : d.step == FailedStep::Apply ? text::kApplyFailedMessage
                                                              : text::kRestoreFailedMessage) +
                        (d.reason.empty() ? "" : "\r\n\r\n" + d.reason),
                    kWarning, kAppTitle};
        case Dialog::Kind::OfferRestart:
            return {WithNotes(RestartNeededText(d.run) + text::kRestartQuestion, d.notes), kQuestion,
                    text::kClosingTitle};
        case Dialog::Kind::RestartFailed:
            return {d.run == RunKind::Optimize ? text::kRestartFailedMessage
                                               : text::kRestartFailedAfterRestoreMessage,
                    kWarning, kAppTitle};
        case Dialog::Kind::TimerFailed:
            return {text::kTimerFailedMessage, kWarning, kAppTitle};
    }
    return {};
}

}  // namespace vornix
