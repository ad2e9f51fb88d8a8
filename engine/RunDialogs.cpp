#include "engine/RunDialogs.h"

#include "engine/RunTexts.h"
#include "engine/TcpipValues.h"

namespace vornix {
namespace {

// Informs only: no way to cancel, and no title of its own. A line for each
// value the family has, the last without its line end.
std::string SummaryText(const TuningSet& tuning, Family family) {
    std::string s = "您的互联网连接将被优化的更快\r\nTCP/IP参数如下：\r\n";
    for (const Located& v : LocationsOf(family).values) {
        s += "\r\n" + (v.value->label + ("= " + std::to_string(tuning.*v.value->member))) + v.value->unit;
    }
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
            return {WithNotes(SummaryText(d.tuning, d.family), d.notes), kMbOk | kMbIconInformation,
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
