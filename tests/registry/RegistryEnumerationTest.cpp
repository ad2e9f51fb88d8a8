// The Registry class's enumeration, run against every backend of the build:
// the direct path (count from the key's information, entry Index fetched
// directly) must give exactly what the walk from the first entry gives, for
// every shape of key, and must cost a fixed number of registry calls per
// lookup. The reference is the same class over an api that refuses the key
// information, which leaves it only the walk.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/CountingRegistryApi.h"
#include "support/RegistryBackends.h"
#include "system/Registry.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;

std::string Repeat(const std::string& unit, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += unit;
    return text;
}

struct KeyInfo {
    std::uint32_t subKeys = 99, maxSubKeyName = 99, values = 99, maxValueName = 99, maxData = 99;
};

class RegistryEnumeration : public testing::TestWithParam<RegistryBackend> {
protected:
    void SetUp() override {
        backend_ = GetParam().make();
        root_ = backend_->scratchPath();
        counting_ = std::make_unique<CountingRegistryApi>(api());
        walkingApi_ = std::make_unique<CountingRegistryApi>(api(), true);
        direct_ = std::make_unique<Registry>(*counting_, codePage(), [this] { ++directPumps_; });
        walking_ = std::make_unique<Registry>(*walkingApi_, codePage(), [this] { ++walkPumps_; });
    }
    void TearDown() override {
        direct_.reset();
        walking_.reset();
        DeleteTree(api(), RootHandle(HKLM), root_);
        backend_.reset();
    }
    std::string Path(const std::string& sub = {}) const {
        return sub.empty() ? root_ : root_ + "\\" + sub;
    }
    RegistryApi& api() { return backend_->api(); }
    const AnsiCodePage& codePage() { return backend_->codePage(); }

    // Writes a value with the platform call; `name` is UTF-8.
    void SetRaw(const std::string& sub, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) {
        RegKeyHandle key = 0;
        ASSERT_EQ(kErrorSuccess, api().CreateKey(RootHandle(HKLM), Path(sub), &key));
        EXPECT_EQ(kErrorSuccess, api().SetValue(key, codePage().ToAnsi(name), type, data.data(),
                                                static_cast<std::uint32_t>(data.size())));
        api().CloseKey(key);
    }
    void AddKey(const std::string& sub) { ASSERT_TRUE(direct_->CreateRegKey(HKLM, Path(sub))); }
    void Remove(const std::string& sub) { DeleteTree(api(), RootHandle(HKLM), Path(sub)); }

    KeyInfo Info(const std::string& sub) {
        KeyInfo info;
        RegKeyHandle key = 0;
        EXPECT_EQ(kErrorSuccess, api().OpenKey(RootHandle(HKLM), Path(sub), &key));
        EXPECT_EQ(kErrorSuccess, api().QueryInfoKey(key, &info.subKeys, &info.maxSubKeyName,
                                                    &info.values, &info.maxValueName,
                                                    &info.maxData));
        api().CloseKey(key);
        return info;
    }

    // Every answer the enumeration methods give for `sub`, at every position
    // around and past the end, each marked when the event pump ran during it.
    std::string Transcript(Registry& reg, const int& pumps, const std::string& sub) {
        const std::string path = Path(sub);
        std::string text;
        auto note = [&](const std::string& what, const std::string& result, int before) {
            text += what + "=" + result + (pumps > before ? " +pump" : "") + "\n";
        };
        int before = pumps;
        const std::int32_t keys = reg.SubKeyCount(HKLM, path);
        note("keys", std::to_string(keys), before);
        for (std::int32_t i : Positions(keys)) {
            before = pumps;
            note("key " + std::to_string(i), reg.SubKeyName(HKLM, path, i), before);
        }
        before = pumps;
        const std::int32_t values = reg.SubValueCount(HKLM, path);
        note("values", std::to_string(values), before);
        for (std::int32_t i : Positions(values)) {
            before = pumps;
            note("value " + std::to_string(i), reg.SubValueName(HKLM, path, i), before);
            before = pumps;
            note("type " + std::to_string(i), reg.SubValueType(HKLM, path, i), before);
        }
        return text;
    }
    static std::vector<std::int32_t> Positions(std::int32_t count) {
        std::vector<std::int32_t> at{INT32_MIN, -1, 0};
        for (std::int32_t i = 1; i <= count + 2; ++i) at.push_back(i);
        at.push_back(INT32_MAX);
        return at;
    }
    // The direct and the walking transcript of `sub`, which must agree.
    void ExpectSameAsWalk(const std::string& sub, const std::string& shape) {
        EXPECT_EQ(Transcript(*walking_, walkPumps_, sub), Transcript(*direct_, directPumps_, sub))
            << shape;
    }

    std::unique_ptr<RegistryBackendInstance> backend_;
    std::string root_;
    std::unique_ptr<CountingRegistryApi> counting_;
    std::unique_ptr<CountingRegistryApi> walkingApi_;
    std::unique_ptr<Registry> direct_;
    std::unique_ptr<Registry> walking_;
    int directPumps_ = 0;
    int walkPumps_ = 0;
};

// What RegQueryInfoKeyA reports, which the in-memory store must match: name
// lengths in characters (not the ANSI bytes the enumeration fetches), data
// lengths as stored, string data as UTF-16.
TEST_P(RegistryEnumeration, KeyInformationCountsCharactersAndStoredBytes) {
    AddKey("info");
    KeyInfo info = Info("info");
    EXPECT_EQ(0u, info.subKeys);
    EXPECT_EQ(0u, info.maxSubKeyName);
    EXPECT_EQ(0u, info.values);
    EXPECT_EQ(0u, info.maxValueName);
    EXPECT_EQ(0u, info.maxData);

    AddKey("info\\abc");
    AddKey("info\\网卡网");  // 6 bytes in code page 936, 3 characters
    direct_->SaveRegString(HKLM, Path("info"), "x", "t");         // "t\0": 2 bytes
    direct_->SaveRegWord(HKLM, Path("info"), "网网网网", 1);       // 8 bytes, 4 characters
    info = Info("info");
    EXPECT_EQ(2u, info.subKeys);
    EXPECT_EQ(3u, info.maxSubKeyName) << "characters, not ANSI bytes";
    EXPECT_EQ(2u, info.values);
    EXPECT_EQ(4u, info.maxValueName) << "characters, not ANSI bytes";
    EXPECT_EQ(4u, info.maxData) << "\"t\" stored as UTF-16 with its NUL, or the DWORD";

    direct_->SaveRegString(HKLM, Path("info"), "s2", "网网");  // 5 ANSI bytes with the NUL
    EXPECT_EQ(6u, Info("info").maxData);
    SetRaw("info", "m", kRegMultiSz, {'a', 'b', 0, 'c', 'd', 0, 0});
    EXPECT_EQ(14u, Info("info").maxData);
    SetRaw("info", "b", kRegBinary, std::vector<std::uint8_t>(30, 1));
    EXPECT_EQ(30u, Info("info").maxData);
    direct_->DeleteRegValue(HKLM, Path("info"), "b");
    direct_->DeleteRegValue(HKLM, Path("info"), "m");
    EXPECT_EQ(6u, Info("info").maxData) << "the longest is taken afresh after a delete";

    // 128 double-byte characters: 256 ANSI bytes, which no fetch can hold,
    // reported as 128.
    AddKey("info\\" + Repeat("网", 128));
    EXPECT_EQ(128u, Info("info").maxSubKeyName);

    RegKeyHandle key = 0;
    ASSERT_EQ(kErrorSuccess, api().OpenKey(RootHandle(HKLM), Path("info\\abc"), &key));
    EXPECT_EQ(kErrorSuccess, api().QueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_EQ(kErrorSuccess, api().DeleteKey(RootHandle(HKLM), Path("info\\abc")));
    KeyInfo untouched;
    EXPECT_EQ(kErrorKeyDeleted,
              api().QueryInfoKey(key, &untouched.subKeys, &untouched.maxSubKeyName,
                                 &untouched.values, &untouched.maxValueName, &untouched.maxData));
    EXPECT_EQ(99u, untouched.subKeys) << "outputs are left alone on failure";
    api().CloseKey(key);
}

TEST_P(RegistryEnumeration, DirectLookupsAnswerAsTheWalkForEveryShape) {
    ExpectSameAsWalk("missing", "a key that does not exist");
    AddKey("empty");
    ExpectSameAsWalk("empty", "an empty key");

    for (int n : {1, 2, 5, 40}) {
        const std::string sub = "many" + std::to_string(n);
        for (int i = 0; i < n; ++i) {
            char name[48];
            std::snprintf(name, sizeof name, "{%08X-VORNIX-%04d}", 0x9E3779B9u * unsigned(i), i);
            AddKey(sub + "\\" + name);
            direct_->SaveRegWord(HKLM, Path(sub), name, i);
        }
        ExpectSameAsWalk(sub, std::to_string(n) + " entries");
    }

    // Names near and past what the name buffer holds, single- and double-byte.
    AddKey("names\\a" + std::string(83, 'x'));           // 84 characters
    AddKey("names\\b" + std::string(84, 'x'));           // 85
    AddKey("names\\c" + Repeat("网", 83));                // 84 characters, 167 bytes
    AddKey("names\\d" + Repeat("网", 126) + "x");         // 128 characters, 254 bytes: fits
    AddKey("names\\e" + std::string(253, 'x'));          // 254 bytes: fits
    ExpectSameAsWalk("names", "long names that all fit");
    EXPECT_EQ(5, direct_->SubKeyCount(HKLM, Path("names")));

    AddKey("overlong\\a");
    AddKey("overlong\\m" + Repeat("网", 127));            // 255 bytes: ends the walk
    AddKey("overlong\\z");
    ExpectSameAsWalk("overlong", "a multi-byte name over 254 bytes");
    EXPECT_EQ(1, direct_->SubKeyCount(HKLM, Path("overlong")));
    EXPECT_EQ("", direct_->SubKeyName(HKLM, Path("overlong"), 3));

    AddKey("overlong255\\a");
    AddKey("overlong255\\m" + std::string(254, 'x'));    // 255 bytes
    AddKey("overlong255\\z");
    ExpectSameAsWalk("overlong255", "a single-byte name over 254 bytes");

    // Values: long names, and data around what the direct path accepts and
    // what the data buffer holds.
    SetRaw("vnames", std::string(84, 'n'), kRegDword, {1, 0, 0, 0});
    SetRaw("vnames", std::string(254, 'o'), kRegDword, {2, 0, 0, 0});
    ExpectSameAsWalk("vnames", "long value names that fit");
    SetRaw("vnames", std::string(255, 'p'), kRegDword, {3, 0, 0, 0});
    ExpectSameAsWalk("vnames", "a value name over 254 bytes");
    SetRaw("vnamecn", "q" + Repeat("网", 127), kRegDword, {3, 0, 0, 0});
    ExpectSameAsWalk("vnamecn", "a multi-byte value name over 254 bytes");

    for (std::size_t size : {2666u, 2667u, 4000u, 4001u}) {
        const std::string sub = "data" + std::to_string(size);
        direct_->SaveRegWord(HKLM, Path(sub), "Before", 1);
        SetRaw(sub, "Blob", kRegBinary, std::vector<std::uint8_t>(size, 7));
        direct_->SaveRegString(HKLM, Path(sub), "Text", "t");
        ExpectSameAsWalk(sub, std::to_string(size) + " bytes of binary data");
    }
    // Text whose ANSI form is 3999 and 4001 bytes with its NUL.
    direct_->SaveRegString(HKLM, Path("text3999"), "T", Repeat("网", 1999));
    ExpectSameAsWalk("text3999", "text of 3999 ANSI bytes");
    direct_->SaveRegString(HKLM, Path("text4001"), "T", Repeat("网", 2000));
    ExpectSameAsWalk("text4001", "text of 4001 ANSI bytes");
    EXPECT_EQ(0, direct_->SubValueCount(HKLM, Path("text4001")));

    SetRaw("types", "Expand", kRegExpandSz, {'x', 0});
    SetRaw("types", "Multi", kRegMultiSz, {'a', 0, 0});
    SetRaw("types", "Blob", kRegBinary, {1});
    direct_->SaveRegString(HKLM, Path("types"), "Text", "t");
    direct_->SaveRegWord(HKLM, Path("types"), "Word", 1);
    ExpectSameAsWalk("types", "every value type");
}

TEST_P(RegistryEnumeration, KeysThatChangeBetweenCallsReadAsTheyAreNow) {
    for (const char* name : {"a", "b", "c", "d", "e"}) AddKey(std::string("live\\") + name);
    EXPECT_EQ(5, direct_->SubKeyCount(HKLM, Path("live")));
    Remove("live\\c");
    EXPECT_EQ("d", direct_->SubKeyName(HKLM, Path("live"), 3));
    EXPECT_EQ("", direct_->SubKeyName(HKLM, Path("live"), 5));
    ExpectSameAsWalk("live", "after a subkey went");

    // An over-long name arriving between calls ends the walk at it from then on.
    AddKey("live\\b" + std::string(254, 'x'));
    EXPECT_EQ("", direct_->SubKeyName(HKLM, Path("live"), 3));
    EXPECT_EQ(2, direct_->SubKeyCount(HKLM, Path("live")));
    ExpectSameAsWalk("live", "after an over-long subkey came");
    Remove("live\\b" + std::string(254, 'x'));
    EXPECT_EQ("d", direct_->SubKeyName(HKLM, Path("live"), 3));
    ExpectSameAsWalk("live", "after the over-long subkey went");

    direct_->SaveRegWord(HKLM, Path("live"), "V1", 1);
    direct_->SaveRegWord(HKLM, Path("live"), "V2", 2);
    SetRaw("live", "V3", kRegBinary, std::vector<std::uint8_t>(4001, 1));
    ExpectSameAsWalk("live", "with over-long data");
    direct_->DeleteRegValue(HKLM, Path("live"), "V3");
    EXPECT_EQ(2, direct_->SubValueCount(HKLM, Path("live")));
    ExpectSameAsWalk("live", "after the over-long data went");

    Remove("live");
    EXPECT_EQ(0, direct_->SubKeyCount(HKLM, Path("live")));
    ExpectSameAsWalk("live", "after the key went");
}

// A caller walking n entries one position at a time makes a number of calls
// that grows linearly while no entry can fail, and falls back to the walk
// (still with the right answers) as soon as one might.
TEST_P(RegistryEnumeration, LookupsCostFixedCallsUnlessAnEntryMightNotFit) {
    constexpr int n = 64;
    for (int i = 0; i < n; ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "{VORNIX-%04d}", i);
        AddKey(std::string("cost\\") + name);
        direct_->SaveRegWord(HKLM, Path("cost"), name, i);
    }
    const std::string path = Path("cost");
    auto callsOf = [&](auto&& call) {
        counting_->Reset();
        call();
        return counting_->calls();
    };
    EXPECT_LE(callsOf([&] { EXPECT_EQ(n, direct_->SubKeyCount(HKLM, path)); }), 3u);
    EXPECT_LE(callsOf([&] { EXPECT_EQ(n, direct_->SubValueCount(HKLM, path)); }), 3u);
    for (std::int32_t index : {1, 2, n / 2, n, n + 1}) {
        EXPECT_LE(callsOf([&] { direct_->SubKeyName(HKLM, path, index); }), 4u) << index;
        EXPECT_LE(callsOf([&] { direct_->SubValueName(HKLM, path, index); }), 4u) << index;
        EXPECT_LE(callsOf([&] { direct_->SubValueType(HKLM, path, index); }), 4u) << index;
    }

    std::uint64_t whole = callsOf([&] {
        for (std::int32_t i = 1; i <= direct_->SubKeyCount(HKLM, path); ++i) {
            direct_->SubKeyName(HKLM, path, i);
        }
    });
    EXPECT_LE(whole, 4u * (n + 1) * 3);
    walkingApi_->Reset();
    for (std::int32_t i = 1; i <= walking_->SubKeyCount(HKLM, path); ++i) {
        walking_->SubKeyName(HKLM, path, i);
    }
    EXPECT_GE(walkingApi_->enumCalls(), std::uint64_t{n} * n / 2) << "the walk is quadratic";

    // One name too long for the direct path, sorted last: the walk returns.
    AddKey("cost\\{~" + std::string(100, 'x') + "}");
    counting_->Reset();
    EXPECT_EQ("{VORNIX-0063}", direct_->SubKeyName(HKLM, path, n));
    EXPECT_GE(counting_->enumCalls(), std::uint64_t{n});
    EXPECT_EQ(n + 1, direct_->SubKeyCount(HKLM, path));
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryEnumeration, testing::ValuesIn(AllRegistryBackends()),
                         [](const testing::TestParamInfo<RegistryBackend>& param) {
                             return param.param.name;
                         });

}  // namespace
}  // namespace vornix::test
