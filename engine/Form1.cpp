#include "engine/Form1.h"

#include <utility>

#include "engine/BackupStore.h"
#include "engine/RunTexts.h"
#include "engine/TcpipValues.h"
#include "profiles/ConnectionProfiles.h"

namespace vornix {

Form1::Form1(SystemServices services, Form1Controls controls)
    : services_(std::move(services)), controls_(controls) {}

Registry& Form1::objReg() {
    if (!objReg_) objReg_.emplace(services_.registry, services_.codePage, services_.pump);
    return *objReg_;
}

clsOS& Form1::objOS() {
    if (!objOS_) objOS_.emplace(services_.version);
    return *objOS_;
}

clsShutdownNT& Form1::objShutdown() {
    if (!objShutdown_) objShutdown_.emplace(services_.shutdown, services_.version);
    return *objShutdown_;
}

std::string Form1::ProductKey() const { return vornix::ProductKey(services_.productName); }

std::optional<Form1::FamilyStep> Form1::StartFamilyStep() {
    lastFailure_.clear();
    const std::optional<Family> family = FamilyOf(objOS().OperatingPlatform());
    if (!family) {
        Fail(text::kReasonUnknownWindows);
        return std::nullopt;
    }
    return FamilyStep{*family, ListInterfaces(objReg(), *family)};
}

StoredBackup Form1::ReadStore(const FamilyStep& step) {
    return ReadBackup(objReg(), ProductKey(), step.family, step.interfaces);
}

bool Form1::InterfacesListed(const FamilyStep& step) {
    if (step.interfaces.error == kErrorSuccess) return true;
    Fail(text::Naming(text::kReasonReadFailed, kInterfacesKey));
    return false;
}

bool Form1::Written(long result, Family family) {
    if (result == kErrorSuccess) return true;
    if (lastWriteError_ == 0) {
        lastWriteError_ = result;
        writeFamily_ = family;
    }
    // Windows 95/98/ME has no administrator rights to run with.
    Fail(std::string(text::kReasonWriteRefused) + (family == Family::NT ? text::kRunAsAdministrator : ""));
    return false;
}

bool Form1::NeedsAdministrator() const {
    return lastWriteError_ == kErrorAccessDenied && writeFamily_ == Family::NT;
}

// A run takes no clicks on the options: they would change its tuning set.
void Form1::optInternetMethod_Click(std::int16_t Index) {
    if (runActive_) return;
    controls_.lblNext1.SetVisible(true);
    intInternetMethod_ = static_cast<std::int16_t>(Index + 1);
    if (Index >= 0 && Index < kMethodCount) {
        for (int j = 0; j < kMethodCount; ++j) {
            controls_.picInternetSpeed[static_cast<std::size_t>(j)]->SetVisible(j == Index);
        }
        // Row 0 of the method's table, whichever option its panel shows.
        SelectSpeed(tuning_, Index, 0);
    }
    controls_.tmrBlink.SetEnabled(false);
    controls_.Label1.SetVisible(false);
}

void Form1::optInternetSpeed_Click(int array, std::int16_t Index) {
    if (runActive_) return;
    SelectSpeed(tuning_, array - 1, Index);
}

void Form1::tmrBlink_Timer() { controls_.Label1.SetVisible(!controls_.Label1.Visible()); }

void Form1::Form_Load(const std::string& exeFolder, const std::string& baseName) {
    Registry& reg = objReg();
    if (reg.ReadRegString(kHkeyLocalMachine, ProductKey(), kInstallPathName).empty()) {
        reg.CreateRegKey(kHkeyLocalMachine, ProductKey());
        reg.SaveRegString(kHkeyLocalMachine, ProductKey(), kInstallPathName,
                          exeFolder + "\\" + baseName + ".exe");
    }
    const std::optional<FamilyStep> step = StartFamilyStep();
    if (step && ReadStore(*step).state == StoredBackup::State::Complete) {
        controls_.cmdRestore.SetEnabled(true);
        controls_.lblOptimizeStatus.SetCaption(text::kStatusBackupExists);
    }
}

}  // namespace vornix
