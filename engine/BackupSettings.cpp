// Saves the machine's current TCP/IP values into the backup store, once,
// before anything is changed. The flag is written last, and only after every
// value has been read back from the store, so a flag of 1 always stands for
// a complete backup.
#include <string>
#include <vector>

#include "engine/BackupStore.h"
#include "engine/Form1.h"
#include "engine/RegistryNumbers.h"
#include "engine/RunTexts.h"
#include "engine/TcpipLocations.h"

namespace vornix {
namespace {

struct Recorded {
    std::string name;
    std::int32_t value = 0;
    bool absent = false;
};

std::string JoinAbsent(const std::vector<Recorded>& values) {
    std::string list;
    for (const auto& v : values) {
        if (!v.absent) continue;
        if (!list.empty()) list += ",";
        list += v.name;
    }
    return list;
}

// Writes a record: its values in order, then the list of absent ones.
bool WriteRecord(Registry& reg, Family family, const std::string& key,
                 const std::vector<Recorded>& values) {
    reg.CreateRegKey(kHkeyLocalMachine, key);
    bool stored = true;
    for (const auto& v : values) stored = WriteNumber(reg, family, key, v.name, v.value) && stored;
    return WriteText(reg, key, kAbsentValuesName, JoinAbsent(values)) && stored;
}

std::string NotNumberReason(const std::string& key, const std::string& name) {
    return std::string(text::kReasonNotNumber) + "HKEY_LOCAL_MACHINE\\" + key + "\\" + name;
}

}  // namespace

bool Form1::BackupSettings() {
    lastFailure_.clear();
    TuningSet work = tuning_;
    const std::int32_t platform = objOS().OperatingPlatform();
    if (platform == 0) {
        lastFailure_ = text::kReasonUnknownWindows;
        return false;
    }
    Registry& reg = objReg();
    const Family family = platform == 1 ? Family::Win9x : Family::NT;

    // Reads one source value into the working copy. A value that does not
    // exist is recorded as absent (and as 0); one that exists but holds no
    // number stops the backup before anything is written.
    bool readable = true;
    auto read = [&](const std::string& key, const char* name, TuningMember member) {
        Recorded r{name};
        const NumberRead in = ReadNumber(reg, family, key, name);
        if (in.kind == NumberRead::NotNumber) {
            if (readable) lastFailure_ = NotNumberReason(key, name);
            readable = false;
        } else if (in.kind == NumberRead::Absent) {
            r.absent = true;
            if (member) work.*member = 0;
        } else if (member) {
            work.*member = r.value = in.value;
        } else {
            r.value = in.value;
        }
        return r;
    };

    const std::string storeKey = ProductKey();
    bool stored = true;
    if (family == Family::Win9x) {
        std::vector<Recorded> values;
        for (const auto& v : kWin9xValues) {
            values.push_back(read(v.key, v.name, v.member));
            if (!readable) return false;
        }
        const std::string familyKey = storeKey + kWin9xStoreKey;
        stored = WriteRecord(reg, family, familyKey, values);
        stored = WriteNumber(reg, Family::NT, familyKey, kBackupFormatName,
                             kBackupFormatWithAbsence) && stored;
    } else {
        // Each interface's own MTU and window. The plain "MTU" of the store
        // keeps the last interface's, or the tuning set's when there is none.
        struct Interface {
            std::string name;
            std::vector<Recorded> values;
        };
        std::vector<Interface> interfaces;
        const std::int32_t n = reg.SubKeyCount(kHkeyLocalMachine, kInterfacesKey);
        for (std::int32_t i = 1; i <= n; ++i) {
            std::string name = reg.SubKeyName(kHkeyLocalMachine, kInterfacesKey, i);
            if (!name.empty()) interfaces.push_back({std::move(name), {}});
        }
        Recorded mtu{"MTU", work.lngMTU};
        for (auto& itf : interfaces) {
            const std::string key = std::string(kInterfacesKey) + "\\" + itf.name;
            for (const auto& v : kNtInterfaceValues) {
                itf.values.push_back(read(key, v.name, nullptr));
                if (!readable) return false;
            }
            mtu = itf.values[0];
            work.lngMTU = mtu.value;
        }
        std::vector<Recorded> values{mtu};
        for (const auto& v : kNtParameterValues) {
            values.push_back(read(v.key, v.name, v.member));
            if (!readable) return false;
        }
        const std::string familyKey = storeKey + kNtStoreKey;
        stored = WriteRecord(reg, family, familyKey, values);
        for (const auto& itf : interfaces) {
            stored = WriteRecord(reg, family, familyKey + kStoreInterfacesKey + "\\" + itf.name,
                                 itf.values) && stored;
        }
        stored = WriteNumber(reg, family, familyKey, kBackupFormatName,
                             kBackupFormatWithAbsence) && stored;
    }
    if (!stored) {
        lastFailure_ = text::kReasonWriteRefused;
        return false;
    }
    if (!WriteNumber(reg, Family::NT, storeKey, kBackupFlagName, 1)) {
        lastFailure_ = text::kReasonWriteRefused;
        return false;
    }
    return true;
}

}  // namespace vornix
