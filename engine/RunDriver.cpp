// The staged run: the Optimize and Restore commands start it, and each tick
// of the run timer advances the progress bar by one and performs the step
// for the new value. All registry work happens at 10 (backup) and 20 (apply
// or restore).
#include <string>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RunTexts.h"
#include "profiles/ConnectionProfiles.h"

namespace vornix {
namespace {

std::string SummaryText(const TuningSet& t, std::int32_t platform) {
    auto n = [](std::int32_t v) { return std::to_string(v); };
    std::string s;
    s += "您的互联网连接将被优化的更快\r\n";
    s += "TCP/IP参数如下：\r\n\r\n";
    s += "最大传输单元 (MTU)\t= " + n(t.lngMTU) + " 字节\r\n";
    if (platform == 1) s += "段最大值 (MSS)\t\t= " + n(t.lngMSS) + " 字节\r\n";
    s += "接收窗口 (RWIN)\t\t= " + n(t.lngRWIN) + " 字节\r\n";
    s += "生存时间 (TTL)\t\t\t= " + n(t.lngTTL) + " hops\r\n";
    s += "PMTU 黑洞检测\t\t= " + n(t.lngPMTUBHDetect) + "\r\n";
    s += "PMTU 检测\t\t\t= " + n(t.lngPMTUDiscovery) + "\r\n";
    s += "选择性确认 (SACK)\t= " + n(t.lngSackOpts) + "\r\n";
    s += "RFC 1323 选项\t\t\t= " + n(t.lngTcp1323Opts);
    return s;
}

const char* StatusText(int value, bool optimizeMode) {
    switch (value) {
        case 1: return text::kStatusAnalyse;
        case 10: return optimizeMode ? text::kStatusBackup : text::kStatusRestoring;
        case 20: return text::kStatusConfigure;
        case 30: return text::kStatusMtu;
        case 40: return text::kStatusRwin;
        case 50: return text::kStatusTtl;
        case 60: return text::kStatusPmtub;
        case 70: return text::kStatusPmtud;
        case 80: return text::kStatusSack;
        case 90: return text::kStatusRfc1323;
        case 99: return text::kStatusDone;
        case 100: return optimizeMode ? text::kStatusBackupExists : text::kStatusRestored;
        default: return nullptr;
    }
}

// Marks a registry step as running for as long as it is in scope.
class StepGuard {
public:
    explicit StepGuard(bool& running) : running_(running) { running_ = true; }
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;
    ~StepGuard() { running_ = false; }

private:
    bool& running_;
};

}  // namespace

void Form1::cmdOptimize_Click() {
    if (intInternetMethod_ == 0) {
        controls_.tmrBlink.SetEnabled(true);
        controls_.messageBoxes.Show(text::kChooseMethodPrompt, kMbOk | kMbIconExclamation,
                                    text::kNotOptimizedTitle);
        return;
    }
    SetFixedMembers(tuning_);
    const std::int32_t platform = objOS().OperatingPlatform();
    controls_.messageBoxes.Show(SummaryText(tuning_, platform), kMbOk | kMbIconInformation,
                                kAppTitle);
    blnOptimizeMode_ = true;
    controls_.pgbOptimize.SetValue(0);
    controls_.tmrOptimize.SetEnabled(true);
}

void Form1::cmdRestore_Click() {
    if (controls_.messageBoxes.Show(text::kRestoreQuestion, kMbYesNo | kMbIconQuestion,
                                    kAppTitle) != kIdYes) {
        return;
    }
    controls_.pgbOptimize.SetValue(0);
    blnOptimizeMode_ = false;
    controls_.tmrOptimize.SetEnabled(true);
}

void Form1::tmrOptimize_Timer() {
    // A tick that arrives while the backup, apply or restore step is still
    // running (delivered by its enumeration's event processing or by a
    // message box it shows) must not run later steps before it returns.
    if (stepRunning_) return;
    const double value = controls_.pgbOptimize.Value();
    if (value == 100) {
        controls_.tmrOptimize.SetEnabled(false);
        return;
    }
    controls_.pgbOptimize.SetValue(value + 1);
    RunStep(static_cast<int>(controls_.pgbOptimize.Value()));
}

void Form1::RunStep(int value) {
    if (const char* status = StatusText(value, blnOptimizeMode_)) {
        controls_.lblOptimizeStatus.SetCaption(status);
    }
    if (value == 10) {
        bool completed = true;
        {
            StepGuard guard(stepRunning_);
            if (!BackupExists()) completed = BackupSettings();
        }
        // Without a complete backup nothing may be changed: the run ends here.
        if (!completed) {
            AbortRun(text::kStatusBackupFailed, text::kBackupFailedMessage);
        }
    } else if (value == 20) {
        if (blnOptimizeMode_) {
            bool applied = false;
            bool backedUp = false;
            {
                StepGuard guard(stepRunning_);
                backedUp = BackupExists();
                if (backedUp) applied = ApplyTuning();
            }
            if (!backedUp) {
                lastFailure_ = text::kReasonNoBackup;
                AbortRun(text::kStatusBackupFailed, text::kBackupFailedMessage);
            } else if (!applied) {
                AbortRun(text::kStatusApplyFailed, text::kApplyFailedMessage);
            }
        } else {
            bool restored = false;
            {
                StepGuard guard(stepRunning_);
                restored = RestoreSettings();
            }
            if (!restored) AbortRun(text::kStatusRestoreFailed, text::kRestoreFailedMessage);
        }
    } else if (value == 100) {
        CloseRun();
    }
}

void Form1::AbortRun(const std::string& status, const std::string& message) {
    controls_.tmrOptimize.SetEnabled(false);
    controls_.lblOptimizeStatus.SetCaption(status);
    if (BackupExists()) controls_.cmdRestore.SetEnabled(true);
    std::string prompt = message;
    if (!lastFailure_.empty()) prompt += "\r\n\r\n" + lastFailure_;
    controls_.messageBoxes.Show(prompt, kMbOk | kMbIconExclamation, kAppTitle);
}

void Form1::CloseRun() {
    const std::string head =
        blnOptimizeMode_ ? text::kClosingHeadOptimize : text::kClosingHeadRestore;
    if (BackupExists()) controls_.cmdRestore.SetEnabled(true);
    if (controls_.messageBoxes.Show(head + text::kClosingRest, kMbYesNo | kMbIconQuestion,
                                    text::kClosingTitle) == kIdYes) {
        objShutdown().RebootNT(-1);
    }
}

}  // namespace vornix
