// Backup, apply and restore against an in-memory machine of either family:
// an optimize run followed by a restore must give the machine back exactly
// as it was, whatever it held, and no failure may leave a backup flag that
// stands for an incomplete backup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "engine/BackupStore.h"
#include "engine/RunTexts.h"
#include "profiles/ConnectionProfiles.h"
#include "support/TestMachine.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;
using Windows = TestMachine::Windows;

TEST(TuningRoundTrip, XpStockMachineWithoutInterfacesOrValues) {
    TestMachine m(Windows::XP);
    m.StockXP({});
    const std::string before = m.MachineState();
    m.Optimize(5, 1);
    EXPECT_EQ(1175300, m.reg->ReadRegWord(HKLM, kTcpipParametersKey, "TcpWindowSize"));
    m.Restore();
    EXPECT_EQ(before, m.MachineState());
}

// A run reads the store once, at step 10, for all it does.
TEST(TuningRoundTrip, ARunReadsTheStoreOnce) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}", "{B}"});
    m.Optimize();
    int storeReads = 0;
    m.registry.SetFaultHook([&](const MemoryRegistryApi::Call& c) {
        if (c.op == MemoryRegistryApi::Op::Query && c.name == "BackupFormat") ++storeReads;
        return kErrorSuccess;
    });
    m.Restore();
    EXPECT_EQ(1, storeReads);
    EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption);
}

// The flag has one form on every ANSI code page, and the forms earlier
// versions gave it under another code page are still found: the machine's
// own values come back whatever the user did to "Language for non-Unicode
// programs" between the optimize and the restore. A name that merely
// resembles the flag is no flag, and a flag that cannot be read stops a run
// rather than letting a new backup replace the one it stands for.
TEST(TuningRoundTrip, TheFlagIsFoundWhateverTheCodePage) {
    const AnsiCodePage& cp1252 = NamedCodePage(1252);
    const AnsiCodePage& cp936 = NamedCodePage(936);
    auto prepared = [](TestMachine& m) {
        m.StockXP({"{A}"});
        m.reg->SaveRegWord(HKLM, m.InterfaceKey("{A}"), "MTU", 1400);
        m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
        return m.MachineState();
    };
    auto unicodeFlag = [](TestMachine& m, const std::string& name) {
        return m.reg->ReadRegValues(HKLM, kProductKey, {name}, Registry::NameForm::Unicode)[0];
    };
    for (const bool englishFirst : {true, false}) {
        TestMachine m(Windows::XP);
        const std::string before = prepared(m);
        m.codePage.Switch(englishFirst ? cp1252 : cp936);
        m.Optimize(0, 9);
        EXPECT_EQ(1, unicodeFlag(m, kBackupFlagName).number) << englishFirst;
        EXPECT_TRUE(unicodeFlag(m, "??    ").Absent()) << englishFirst;
        m.codePage.Switch(englishFirst ? cp936 : cp1252);
        m.Optimize(0, 0);  // finds the backup: does not take the tuned values as the originals
        m.Restore();
        EXPECT_EQ(text::kStatusRestored, m.controls.lblOptimizeStatus.caption) << englishFirst;
        EXPECT_EQ(before, m.MachineState()) << englishFirst;
    }

    // Stores an earlier version left under a flag named through a code page.
    auto legacyStore = [&](const std::string& flag, const AnsiCodePage& writtenUnder) {
        auto m = std::make_unique<TestMachine>(Windows::XP);
        const std::string before = prepared(*m);
        m->Optimize(0, 9);
        m->reg->DeleteRegValues(HKLM, kProductKey, {kBackupFlagName});
        m->codePage.Switch(writtenUnder);
        m->reg->SaveRegWord(HKLM, kProductKey, flag, 1);
        m->codePage.Switch(cp936);
        return std::make_pair(std::move(m), before);
    };
    for (const char* flag : {"??    ", "?份    ", "备?    "}) {
        auto [m, before] = legacyStore(flag, cp936);
        EXPECT_TRUE(m->FlagSet()) << flag;
        m->Restore();
        EXPECT_EQ(before, m->MachineState()) << flag;
        EXPECT_TRUE(unicodeFlag(*m, kBackupFlagName).Absent()) << "old forms are left as they are";
    }
    {
        // The name as the running code page makes it.
        auto [m, before] = legacyStore(kBackupFlagName, cp1252);
        m->codePage.Switch(cp1252);
        EXPECT_TRUE(m->FlagSet());
        m->Restore();
        EXPECT_EQ(before, m->MachineState());
    }
    for (const char* lookalike : {"备份   ", "备份     ", "??   ", "x份    ", "备份"}) {
        auto [m, before] = legacyStore(lookalike, cp936);
        EXPECT_FALSE(m->FlagSet()) << lookalike;
        m->Restore();
        EXPECT_EQ(text::kStatusRestoreFailed, m->controls.lblOptimizeStatus.caption) << lookalike;
    }

    // The flag is there but cannot be read: no run goes on as if there were
    // no backup, so none replaces the store with the tuned values.
    TestMachine u(Windows::XP);
    const std::string before = prepared(u);
    u.Optimize(0, 9);
    const std::string store = u.StoreState();
    u.registry.SetFaultHook([](const MemoryRegistryApi::Call& c) {
        return c.op == MemoryRegistryApi::Op::Query && c.path == kProductKey &&
                       c.name.find("    ") != std::string::npos
                   ? kErrorAccessDenied
                   : kErrorSuccess;
    });
    u.Optimize(0, 0);
    EXPECT_EQ(text::kStatusBackupFailed, u.controls.lblOptimizeStatus.caption);
    u.registry.SetFaultHook({});
    EXPECT_EQ(store, u.StoreState());
    u.Restore();
    EXPECT_EQ(before, u.MachineState());
}

// The apply opens each listed interface key and never creates one: an
// interface that went away after it was listed is skipped.
TEST(TuningRoundTrip, AnInterfaceThatVanishesIsNotCreatedAgain) {
    TestMachine m(Windows::XP);
    m.StockXP({"{A}", "{B}"});
    ASSERT_TRUE(m.form->BackupSettings());
    bool removed = false;
    m.pump = [&] {
        if (!removed) m.reg->DeleteRegKey(HKLM, m.InterfaceKey("{B}"));
        removed = true;
    };
    SetFixedMembers(m.form->tuning());
    EXPECT_TRUE(m.form->ApplyTuning());
    EXPECT_EQ(0, m.reg->SubKeyCount(HKLM, m.InterfaceKey("{B}")));
    EXPECT_EQ("", m.reg->SubKeyName(HKLM, kInterfacesKey, 2)) << "{B} was made again";
    EXPECT_EQ(128, m.reg->ReadRegWord(HKLM, kTcpipParametersKey, "DefaultTTL"));
}

// Fails the k-th registry operation of an optimize run, of a restore run and
// of the set-aside of a damaged store, for every k: opens, creates, queries,
// enumerations, writes and deletes alike, and each write once more as one
// the registry keeps otherwise than it was given. Whatever fails: a run that
// says it succeeded has done all of its work; a run that failed says so and
// offers no restart; the flag never stands for a store that differs from a
// complete backup; a set-aside keeps the damaged store whole in one place or
// the other; and once the registry works again, the machine's own values
// come back.
enum class Phase { Optimize, Restore, SetAside };

struct SweepCounts {
    std::map<std::string, int> points;  // fault points by kind of operation
    int succeeded = 0, failed = 0;
    int originalsLost = 0, incompleteStores = 0, successAfterFailure = 0, restartAfterFailure = 0;
};

const char* KindOf(MemoryRegistryApi::Op op) {
    using Op = MemoryRegistryApi::Op;
    switch (op) {
        case Op::Open: return "open";
        case Op::Create: return "create";
        case Op::Query: return "query";
        case Op::EnumKey: case Op::EnumValue: return "enumerate";
        case Op::Set: return "set";
        case Op::DeleteKey: case Op::DeleteValue: return "delete";
        case Op::Close: break;
    }
    return nullptr;
}

SweepCounts EveryFault(Windows windows, Phase phase) {
    const Family family = windows == Windows::Win98 ? Family::Win9x : Family::NT;
    const std::string familyKey = FamilyKey(kProductKey, family);
    // The machine before the tool; before a restore run, optimized first;
    // before a set-aside, optimized with a store damaged since.
    auto stock = [windows](TestMachine& m) {
        if (windows == Windows::Win98) {
            m.StockWin98();
            m.reg->SaveRegString(HKLM, kMstcpKey, "DefaultTTL", " 32");
            m.reg->SaveRegString(HKLM, kNetTransKey, "MaxMTU", " 576");
        } else {
            m.StockXP({"{AAAA}", "{BBBB}", "{CCCC}"});
            m.reg->SaveRegWord(HKLM, m.InterfaceKey("{BBBB}"), "MTU", 1300);
            m.reg->SaveRegWord(HKLM, m.InterfaceKey("{CCCC}"), "TcpWindowSize", 8760);
            m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "SackOpts", 0);
        }
        return m.MachineState();
    };
    auto prepare = [&](TestMachine& m) {
        const std::string before = stock(m);
        if (phase != Phase::Optimize) m.Optimize(1, 2);
        if (phase == Phase::SetAside) m.reg->SaveRegWord(HKLM, familyKey, "BackupFormat", 7);
        return before;
    };
    SetAside setAside{};
    auto runPhase = [&](TestMachine& m) {
        if (phase == Phase::Optimize) m.Optimize(1, 2);
        if (phase == Phase::Restore) m.Restore();
        if (phase == Phase::SetAside) setAside = SetAsideDamagedBackup(*m.reg, kProductKey, family);
    };
    const char* success = phase == Phase::Optimize ? text::kStatusBackupExists : text::kStatusRestored;

    // A clean pass: the operations it makes, the machine and the store after it.
    std::vector<MemoryRegistryApi::Op> ops;
    std::string expected, store, original, damaged;
    {
        TestMachine m(windows);
        original = prepare(m);
        damaged = m.TreeState(familyKey);
        m.registry.SetFaultHook([&](const MemoryRegistryApi::Call& c) {
            if (KindOf(c.op)) ops.push_back(c.op);
            return kErrorSuccess;
        });
        runPhase(m);
        m.registry.SetFaultHook({});
        expected = m.MachineState();
        store = m.StoreState();
    }
    // Each operation refused, and each write kept otherwise.
    std::vector<std::pair<std::size_t, long>> faults;
    for (std::size_t k = 0; k < ops.size(); ++k) {
        faults.emplace_back(k, kErrorAccessDenied);
        if (ops[k] == MemoryRegistryApi::Op::Set) faults.emplace_back(k, MemoryRegistryApi::kWriteOtherwise);
    }

    SweepCounts counts;
    for (const auto& [k, code] : faults) {
        const std::string kind = std::string(KindOf(ops[k])) +
                                 (code == MemoryRegistryApi::kWriteOtherwise ? " kept otherwise" : "");
        SCOPED_TRACE(testing::Message() << "fault " << k + 1 << " (" << kind << ")");
        ++counts.points[kind];
        TestMachine m(windows);
        prepare(m);
        const std::size_t boxes = m.controls.boxes.shown.size();
        std::size_t seen = 0;
        m.registry.SetFaultHook([&, k = k, code = code](const MemoryRegistryApi::Call& c) {
            return KindOf(c.op) && seen++ == k ? code : kErrorSuccess;
        });
        runPhase(m);
        m.registry.SetFaultHook({});

        if (phase == Phase::SetAside) {
            // The damaged store, whole, where it was or where it was moved:
            // it may hold the only record of the machine's own values.
            const std::string copy = familyKey + ".damaged-1";
            const bool whole = m.TreeState(familyKey) == damaged || m.TreeState(copy) == damaged;
            if (!whole) ++counts.originalsLost;
            if (setAside.Moved()) {
                ++counts.succeeded;
                if (m.StoreState() != store) ++counts.successAfterFailure;
            } else {
                ++counts.failed;
            }
            continue;
        }
        const bool offeredRestart = m.controls.boxes.shown.back().title == "推荐";
        if (m.controls.lblOptimizeStatus.caption == success) {
            ++counts.succeeded;
            // The failed call was made good by a later one, or did not matter.
            if (m.MachineState() != expected || !offeredRestart) ++counts.successAfterFailure;
        } else {
            ++counts.failed;
            if (offeredRestart) ++counts.restartAfterFailure;
            EXPECT_GT(m.controls.boxes.shown.size(), boxes) << "failed silently";
        }
        if (m.FlagSet() && m.StoreState() != store) ++counts.incompleteStores;
        if (!m.FlagSet() && m.MachineState() != original) ++counts.originalsLost;  // tuned, no backup
        if (m.FlagSet()) m.Restore();
        if (m.MachineState() != original) ++counts.originalsLost;
    }
    EXPECT_EQ(0, counts.originalsLost);
    EXPECT_EQ(0, counts.incompleteStores);
    EXPECT_EQ(0, counts.successAfterFailure);
    EXPECT_EQ(0, counts.restartAfterFailure);
    EXPECT_GT(counts.failed, counts.succeeded) << "most single failures must be noticed";
    std::string byKind;
    for (const auto& [kind, n] : counts.points) byKind += ", " + kind + "=" + std::to_string(n);
    const char* phaseName = phase == Phase::Optimize ? "optimize" : phase == Phase::Restore ? "restore" : "set-aside";
    std::printf("every-fault %s %s: %zu fault points (%s); %d runs failed and said so, %d succeeded; "
                "originals lost %d, flags over an incomplete store %d, success texts after a "
                "failure %d, restarts offered after a failure %d\n",
                windows == Windows::Win98 ? "98" : "XP", phaseName, faults.size(), byKind.c_str() + 2,
                counts.failed, counts.succeeded, counts.originalsLost, counts.incompleteStores,
                counts.successAfterFailure, counts.restartAfterFailure);
    return counts;
}

TEST(EveryFault, Win98Optimize) { EveryFault(Windows::Win98, Phase::Optimize); }
TEST(EveryFault, Win98Restore) { EveryFault(Windows::Win98, Phase::Restore); }
TEST(EveryFault, XpOptimize) { EveryFault(Windows::XP, Phase::Optimize); }
TEST(EveryFault, XpRestore) { EveryFault(Windows::XP, Phase::Restore); }
TEST(EveryFault, Win98SetAside) { EveryFault(Windows::Win98, Phase::SetAside); }
TEST(EveryFault, XpSetAside) { EveryFault(Windows::XP, Phase::SetAside); }

TEST(TuningRoundTrip, AValuePresentButNotANumberStopsTheBackupBeforeAnyWrite) {
    TestMachine m(Windows::Win98);
    m.StockWin98();
    m.reg->SaveRegString(HKLM, kMstcpKey, "SackOpts", "yes");
    const std::string before = m.MachineState();
    m.Optimize();
    EXPECT_EQ(before, m.MachineState());
    EXPECT_EQ(0, m.reg->SubKeyCount(HKLM, kProductKey));
    const std::string& shown = m.controls.boxes.shown.back().prompt;
    EXPECT_NE(std::string::npos, shown.find(text::kBackupFailedMessage));
    EXPECT_NE(std::string::npos, shown.find("VxD\\MSTCP\\SackOpts"));

    TestMachine x(Windows::XP);
    x.StockXP({"{AAAA}"});
    x.reg->SaveRegString(HKLM, x.InterfaceKey("{AAAA}"), "MTU", "1500");
    x.Optimize();
    EXPECT_FALSE(x.FlagSet());
    EXPECT_EQ(kAbsent, ValueType(*x.reg, kTcpipParametersKey, "SackOpts"));
}

TEST(TuningRoundTrip, UnknownPlatformTouchesNothing) {
    TestMachine m(Windows::Win32s);
    m.reg->SaveRegWord(HKLM, kTcpipParametersKey, "DefaultTTL", 64);
    const std::string before = m.registry.Dump(RootHandle(HKLM));
    m.registry.ResetCalls();
    EXPECT_FALSE(m.form->BackupSettings());
    EXPECT_FALSE(m.form->ApplyTuning());
    EXPECT_EQ(0u, m.registry.TotalCalls());
    EXPECT_EQ(before, m.registry.Dump(RootHandle(HKLM)));
}

}  // namespace
}  // namespace vornix::test
