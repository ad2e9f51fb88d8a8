// The Registry class's contract, run against every backend of the build:
// the in-memory store natively, and under Wine also the real registry. Any
// difference between the backends is a defect of the in-memory store.
// Value order is not compared: Wine sorts values, Windows keeps them in
// creation order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/RegistryBackends.h"
#include "system/Registry.h"

namespace vornix::test {
namespace {

constexpr std::int32_t HKLM = kHkeyLocalMachine;

class RegistryContract : public testing::TestWithParam<RegistryBackend> {
protected:
    void SetUp() override {
        backend_ = GetParam().make();
        root_ = backend_->scratchPath();
        reg_ = std::make_unique<Registry>(backend_->api(), backend_->codePage(),
                                          [this] { ++pumped_; });
    }
    void TearDown() override {
        reg_.reset();
        DeleteTree(backend_->api(), RootHandle(HKLM), root_);
        backend_.reset();
    }
    std::string Path(const std::string& sub = {}) const {
        return sub.empty() ? root_ : root_ + "\\" + sub;
    }
    // Writes raw bytes with the platform call, bypassing the class.
    void SetRaw(const std::string& sub, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) {
        RegKeyHandle key = 0;
        ASSERT_EQ(kErrorSuccess, api().CreateKey(RootHandle(HKLM), Path(sub), &key));
        EXPECT_EQ(kErrorSuccess,
                  api().SetValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size())));
        api().CloseKey(key);
    }
    static std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
    RegistryApi& api() { return backend_->api(); }
    Registry& reg() { return *reg_; }

    std::unique_ptr<RegistryBackendInstance> backend_;
    std::unique_ptr<Registry> reg_;
    std::string root_;
    int pumped_ = 0;
};

TEST_P(RegistryContract, StringsRoundTripAndFoldAbsentOrForeignToEmpty) {
    ASSERT_TRUE(reg().CreateRegKey(HKLM, Path()));
    reg().SaveRegString(HKLM, Path(), "MaxMTU", " 1500");
    EXPECT_EQ(" 1500", reg().ReadRegString(HKLM, Path(), "MaxMTU"));
    EXPECT_EQ(" 1500", reg().ReadRegString(HKLM, Path(), "maxmtu")) << "names ignore case";

    // Text that takes two bytes per character in the ANSI code page.
    reg().SaveRegString(HKLM, Path(), "备份    ", "安装路径 C:\\程序");
    EXPECT_EQ("安装路径 C:\\程序", reg().ReadRegString(HKLM, Path(), "备份    "));

    reg().SaveRegString(HKLM, Path(), "Empty", "");
    EXPECT_EQ("", reg().ReadRegString(HKLM, Path(), "Empty"));

    reg().SaveRegWord(HKLM, Path(), "Word", 1500);
    EXPECT_EQ("", reg().ReadRegString(HKLM, Path(), "Word"));
    EXPECT_EQ(0, reg().ReadRegWord(HKLM, Path(), "MaxMTU"));
    EXPECT_EQ("", reg().ReadRegString(HKLM, Path(), "Missing"));
    EXPECT_EQ("", reg().ReadRegString(HKLM, Path("NoSuchKey"), "MaxMTU"));
    SetRaw("", "Expand", kRegExpandSz, Bytes(std::string("%TEMP%", 7)));
    EXPECT_EQ("", reg().ReadRegString(HKLM, Path(), "Expand"));
}

TEST_P(RegistryContract, StringsWithoutNulAreTakenWholeAndEmbeddedNulCuts) {
    SetRaw("", "NoNul", kRegSz, Bytes("1492"));
    EXPECT_EQ("1492", reg().ReadRegString(HKLM, Path(), "NoNul"));
    SetRaw("", "TwoParts", kRegSz, Bytes(std::string("12\0" "34\0", 6)));
    EXPECT_EQ("12", reg().ReadRegString(HKLM, Path(), "TwoParts"));
}

TEST_P(RegistryContract, DwordsAreSigned32BitAndCreateTheirPath) {
    reg().SaveRegWord(HKLM, Path("a\\b\\c"), "Neg", -1);
    reg().SaveRegWord(HKLM, Path("a\\b\\c"), "Min", INT32_MIN);
    EXPECT_EQ(-1, reg().ReadRegWord(HKLM, Path("a\\b\\c"), "Neg"));
    EXPECT_EQ(INT32_MIN, reg().ReadRegWord(HKLM, Path("A\\B\\C"), "MIN"));
    EXPECT_EQ(1, reg().SubKeyCount(HKLM, Path("a")));

    SetRaw("", "Binary4", kRegBinary, {1, 0, 0, 0});
    EXPECT_EQ(0, reg().ReadRegWord(HKLM, Path(), "Binary4"));
    EXPECT_EQ(0, reg().ReadRegWord(HKLM, Path(), "Missing"));
    EXPECT_EQ(0, reg().ReadRegWord(HKLM, Path("NoSuchKey"), "Neg"));
    EXPECT_EQ(kAbsent, ValueType(reg(), Path(), "Missing"));
    EXPECT_EQ(kAbsent, ValueType(reg(), Path("NoSuchKey"), "Neg"));
    EXPECT_EQ(static_cast<std::int32_t>(kRegBinary), ValueType(reg(), Path(), "Binary4"));
}

TEST_P(RegistryContract, SubKeysAreNamedByOneBasedPosition) {
    for (const char* name : {"{B-Adapter}", "{A-Adapter}", "{C-Adapter}"}) {
        ASSERT_TRUE(reg().CreateRegKey(HKLM, Path(std::string("Interfaces\\") + name)));
    }
    const std::string interfaces = Path("Interfaces");
    ASSERT_EQ(3, reg().SubKeyCount(HKLM, interfaces));
    EXPECT_GT(pumped_, 0) << "events are processed between entries";
    std::set<std::string> names;
    for (int i = 1; i <= 3; ++i) names.insert(reg().SubKeyName(HKLM, interfaces, i));
    EXPECT_EQ((std::set<std::string>{"{A-Adapter}", "{B-Adapter}", "{C-Adapter}"}), names);
    EXPECT_EQ("{A-Adapter}", reg().SubKeyName(HKLM, interfaces, 1)) << "subkeys sort by name";
    EXPECT_EQ("", reg().SubKeyName(HKLM, interfaces, 0));
    EXPECT_EQ("", reg().SubKeyName(HKLM, interfaces, -1));
    EXPECT_EQ("", reg().SubKeyName(HKLM, interfaces, 4));
    EXPECT_EQ(0, reg().SubKeyCount(HKLM, Path("NoSuchKey")));
    EXPECT_EQ("", reg().SubKeyName(HKLM, Path("NoSuchKey"), 1));
}

TEST_P(RegistryContract, AnOverlongSubKeyNameEndsTheWalk) {
    // 254 characters and a NUL fill the 255-character buffer exactly.
    ASSERT_TRUE(reg().CreateRegKey(HKLM, Path("k\\a" + std::string(253, 'x'))));
    ASSERT_TRUE(reg().CreateRegKey(HKLM, Path("k\\m" + std::string(254, 'x'))));
    ASSERT_TRUE(reg().CreateRegKey(HKLM, Path("k\\z")));
    EXPECT_EQ(1, reg().SubKeyCount(HKLM, Path("k")));
    EXPECT_EQ("a" + std::string(253, 'x'), reg().SubKeyName(HKLM, Path("k"), 1));
    EXPECT_EQ("", reg().SubKeyName(HKLM, Path("k"), 2));
    EXPECT_EQ("", reg().SubKeyName(HKLM, Path("k"), 3));
}

TEST_P(RegistryContract, MultiByteNamesEnumerateInTheirAnsiForm) {
    ASSERT_TRUE(reg().CreateRegKey(HKLM, Path("cn\\网卡")));
    EXPECT_EQ("网卡", reg().SubKeyName(HKLM, Path("cn"), 1));
    reg().SaveRegWord(HKLM, Path("cn"), "备份    ", 1);
    EXPECT_EQ("备份    ", reg().SubValueName(HKLM, Path("cn"), 1));
    EXPECT_EQ(1, reg().ReadRegWord(HKLM, Path("cn"), "备份    "));

    // A Unicode name is the one a narrow name converts to: in code page 936
    // both forms of "备份    " meet, and "??" is "??" in every code page.
    using Form = Registry::NameForm;
    ASSERT_EQ(kErrorSuccess, reg().SaveRegValues(HKLM, Path("u"), {{"备份    ", false, 2, {}}},
                                                 Registry::KeyMode::Create, Form::Unicode));
    reg().SaveRegWord(HKLM, Path("u"), "??    ", 3);
    const auto unicode =
        reg().ReadRegValues(HKLM, Path("u"), {"备份    ", "??    ", "?份    "}, Form::Unicode);
    EXPECT_EQ(2, unicode[0].number);
    EXPECT_EQ(3, unicode[1].number);
    EXPECT_TRUE(unicode[2].Absent());
    EXPECT_EQ(2, reg().ReadRegWord(HKLM, Path("u"), "备份    "));
    EXPECT_EQ(kErrorInvalidParameter,
              reg().SaveRegValues(HKLM, Path("u"), {{"T", true, 0, "text"}},
                                  Registry::KeyMode::Create, Form::Unicode))
        << "Unicode-named values hold no text";
}

TEST_P(RegistryContract, ValuesAreCountedNamedAndTyped) {
    reg().SaveRegString(HKLM, Path(), "Text", "t");
    reg().SaveRegWord(HKLM, Path(), "Word", 4);
    SetRaw("", "Blob", kRegBinary, {1, 2, 3});
    SetRaw("", "Expand", kRegExpandSz, Bytes(std::string("x", 2)));
    SetRaw("", "Multi", kRegMultiSz, Bytes(std::string("a\0\0", 3)));
    ASSERT_EQ(5, reg().SubValueCount(HKLM, Path()));
    std::set<std::string> typed;
    for (int i = 1; i <= 5; ++i) {
        typed.insert(reg().SubValueName(HKLM, Path(), i) + "=" +
                     reg().SubValueType(HKLM, Path(), i));
    }
    EXPECT_EQ((std::set<std::string>{"Blob=BIN", "Expand=", "Multi=", "Text=UNI", "Word=WRD"}),
              typed);
    EXPECT_EQ("", reg().SubValueName(HKLM, Path(), 6));
    EXPECT_EQ("", reg().SubValueType(HKLM, Path(), 0));
    EXPECT_EQ(0, reg().SubValueCount(HKLM, Path("NoSuchKey")));
}

TEST_P(RegistryContract, ValuesThatDoNotFitTheBuffersEndTheWalk) {
    SetRaw("big", "Big", kRegBinary, std::vector<std::uint8_t>(4001, 7));
    EXPECT_EQ(0, reg().SubValueCount(HKLM, Path("big")));
    EXPECT_EQ("", reg().SubValueName(HKLM, Path("big"), 1));
    SetRaw("fits", "Fits", kRegBinary, std::vector<std::uint8_t>(4000, 7));
    EXPECT_EQ(1, reg().SubValueCount(HKLM, Path("fits")));
    SetRaw("longname", std::string(255, 'n'), kRegDword, {1, 0, 0, 0});
    EXPECT_EQ(0, reg().SubValueCount(HKLM, Path("longname")));
    SetRaw("name254", std::string(254, 'n'), kRegDword, {1, 0, 0, 0});
    EXPECT_EQ(std::string(254, 'n'), reg().SubValueName(HKLM, Path("name254"), 1));
}

TEST_P(RegistryContract, DeletesRemoveValuesAndLeafKeysOnly) {
    reg().SaveRegWord(HKLM, Path("p\\leaf"), "V", 1);
    reg().DeleteRegValue(HKLM, Path("p\\leaf"), "v");
    EXPECT_EQ(kAbsent, ValueType(reg(), Path("p\\leaf"), "V"));
    reg().DeleteRegValue(HKLM, Path("p\\leaf"), "V");  // already gone: nothing happens
    reg().DeleteRegValue(HKLM, Path("p\\none"), "V");
    reg().DeleteRegKey(HKLM, Path("p"));  // has a subkey: stays
    EXPECT_EQ(1, reg().SubKeyCount(HKLM, Path("p")));
    reg().DeleteRegKey(HKLM, Path("p\\leaf"));
    EXPECT_EQ(0, reg().SubKeyCount(HKLM, Path("p")));
    EXPECT_TRUE(reg().CreateRegKey(HKLM, Path("p")));
}

TEST_P(RegistryContract, BatchedFormsAgreeWithTheSingleOnes) {
    // Subkeys: the same names as the walk, ending at an over-long one.
    for (const std::string& name : {std::string("b"), std::string("网卡"), std::string("A"),
                                    "m" + std::string(254, 'x'), std::string("z")}) {
        ASSERT_TRUE(reg().CreateRegKey(HKLM, Path("keys\\" + name)));
    }
    std::vector<std::string> walked;
    for (int i = 1; i <= reg().SubKeyCount(HKLM, Path("keys")); ++i) {
        walked.push_back(reg().SubKeyName(HKLM, Path("keys"), i));
    }
    const Registry::KeyNames listed = reg().SubKeyNames(HKLM, Path("keys"));
    EXPECT_EQ(walked, listed.names);
    EXPECT_EQ(2u, walked.size());
    EXPECT_EQ(kErrorMoreData, listed.error) << "a list that stops early is not complete";
    ASSERT_EQ(kErrorSuccess, api().DeleteKey(RootHandle(HKLM), Path("keys\\m" + std::string(254, 'x'))));
    EXPECT_EQ(kErrorSuccess, reg().SubKeyNames(HKLM, Path("keys")).error);
    EXPECT_EQ(4u, reg().SubKeyNames(HKLM, Path("keys")).names.size());
    EXPECT_EQ(kErrorFileNotFound, reg().SubKeyNames(HKLM, Path("none")).error);
    EXPECT_TRUE(reg().SubKeyNames(HKLM, Path("none")).names.empty());

    // Values: written, read back, typed; absent ones marked.
    ASSERT_EQ(kErrorSuccess, reg().SaveRegValues(HKLM, Path("v\\w"),
                                                 {{"Word", false, -2, {}}, {"文字", true, 0, " 1500"},
                                                  {"Empty", true, 0, ""}}));
    EXPECT_EQ(kErrorFileNotFound,
              reg().SaveRegValues(HKLM, Path("v\\new"), {{"Word", false, 1, {}}},
                                  Registry::KeyMode::Existing))
        << "an existing key was asked for: nothing is created";
    EXPECT_EQ(0, reg().SubKeyCount(HKLM, Path("v\\new")));
    SetRaw("v\\w", "Short", kRegDword, {1, 2});
    SetRaw("v\\w", "Long", kRegSz, std::vector<std::uint8_t>(300, 'L'));
    const auto values =
        reg().ReadRegValues(HKLM, Path("v\\w"), {"word", "文字", "Empty", "Short", "Long", "None"});
    ASSERT_EQ(6u, values.size());
    EXPECT_TRUE(values[0].IsDword());
    EXPECT_EQ(-2, values[0].number);
    EXPECT_EQ(reg().ReadRegWord(HKLM, Path("v\\w"), "Word"), values[0].number);
    EXPECT_TRUE(values[1].IsString());
    EXPECT_EQ(reg().ReadRegString(HKLM, Path("v\\w"), "文字"), values[1].text);
    EXPECT_EQ("", values[2].text);
    EXPECT_FALSE(values[3].IsDword()) << "a 2-byte DWORD holds no number";
    EXPECT_EQ(static_cast<std::int32_t>(kRegDword), values[3].type);
    EXPECT_EQ(std::string(300, 'L'), values[4].text);
    EXPECT_TRUE(values[5].Absent());
    // Values that all exist read the same together as one by one.
    for (const auto reading : {Registry::Reading::Together, Registry::Reading::OneByOne}) {
        const auto again = reg().ReadRegValues(HKLM, Path("v\\w"), {"word", "文字", "Empty", "Short", "Long"},
                                               Registry::NameForm::Ansi, reading);
        for (std::size_t i = 0; i < again.size(); ++i) {
            EXPECT_TRUE(again[i].Read() && again[i].type == values[i].type && again[i].data == values[i].data &&
                        again[i].number == values[i].number && again[i].text == values[i].text)
                << i;
        }
    }
    EXPECT_TRUE(reg().ReadRegValues(HKLM, Path("none"), {"Word"})[0].Absent());

    EXPECT_EQ(kErrorSuccess, reg().DeleteRegValues(HKLM, Path("v\\w"), {"WORD", "None"}));
    EXPECT_EQ(kAbsent, ValueType(reg(), Path("v\\w"), "Word"));
    EXPECT_EQ(kErrorSuccess, reg().DeleteRegValues(HKLM, Path("none"), {"Word"}))
        << "no key holds no value";
}

// The platform calls themselves, with exact codes and untouched outputs.
TEST_P(RegistryContract, PlatformCallsGiveExactCodesAndLeaveOutputsAlone) {
    RegKeyHandle key = 0;
    EXPECT_EQ(kErrorFileNotFound, api().OpenKey(RootHandle(HKLM), Path("none"), &key));
    ASSERT_EQ(kErrorSuccess, api().CreateKey(RootHandle(HKLM), Path("c\\d"), &key));
    const std::uint8_t word[4] = {0x34, 0x12, 0, 0};
    ASSERT_EQ(kErrorSuccess, api().SetValue(key, "W", kRegDword, word, 4));
    EXPECT_EQ(kErrorInvalidParameter,
              api().SetValue(key, std::string("W\0x", 3), kRegDword, word, 4));

    std::uint8_t data[8];
    std::memset(data, 0xAB, sizeof data);
    std::uint32_t type = 99, size = sizeof data;
    EXPECT_EQ(kErrorFileNotFound, api().QueryValue(key, "none", &type, data, &size));
    EXPECT_EQ(0xAB, data[0]);
    size = 2;
    EXPECT_EQ(kErrorMoreData, api().QueryValue(key, "W", &type, data, &size));
    EXPECT_EQ(4u, size);
    size = 0;
    EXPECT_EQ(kErrorSuccess, api().QueryValue(key, "w", &type, nullptr, &size));
    EXPECT_EQ(kRegDword, type);
    EXPECT_EQ(4u, size);

    char name[255];
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(kErrorNoMoreItems, api().EnumKey(key, 0, name, sizeof name));
    EXPECT_EQ('#', name[0]);
    std::uint32_t nameSize = sizeof name, dataSize = sizeof data;
    EXPECT_EQ(kErrorNoMoreItems, api().EnumValue(key, 1, name, &nameSize, &type, data, &dataSize));
    std::vector<RegistryApi::ValueEntry> entries = {{"W"}, {"none"}};
    size = sizeof data;
    EXPECT_EQ(kErrorFileNotFound, api().QueryValues(key, entries, data, &size));
    entries = {{"w"}, {"W"}};
    size = 6;
    EXPECT_EQ(kErrorMoreData, api().QueryValues(key, entries, data, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(kErrorSuccess, api().QueryValues(key, entries, data, &size));
    EXPECT_TRUE(entries[1].type == kRegDword && entries[1].size == 4 && entries[1].offset == 4 && data[4] == 0x34);
    EXPECT_EQ(kErrorSuccess, api().DeleteValue(key, "W"));
    EXPECT_EQ(kErrorFileNotFound, api().DeleteValue(key, "W"));
    EXPECT_EQ(kErrorSuccess, api().CloseKey(key));

    EXPECT_EQ(kErrorInvalidParameter, api().DeleteKey(RootHandle(HKLM), ""));
    EXPECT_EQ(kErrorInvalidParameter,
              api().CreateKey(RootHandle(HKLM), Path("c") + std::string(1, '\0') + "x", &key));
    EXPECT_EQ(kErrorAccessDenied, api().DeleteKey(RootHandle(HKLM), Path("c")));
    EXPECT_EQ(kErrorSuccess, api().DeleteKey(RootHandle(HKLM), Path("c\\d")));
    EXPECT_EQ(kErrorFileNotFound, api().DeleteKey(RootHandle(HKLM), Path("c\\d")));
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract, testing::ValuesIn(AllRegistryBackends()),
                         [](const testing::TestParamInfo<RegistryBackend>& param) {
                             return param.param.name;
                         });

}  // namespace
}  // namespace vornix::test
