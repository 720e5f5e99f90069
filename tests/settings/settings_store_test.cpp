// The settings store over a fake registry: key paths, the two tables of conversion, the closed
// store, the start-up sequence and the date overrides.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <thread>

#include "core/format_settings.h"
#include "settings/settings_store.h"
#include "support/fake_platform_services.h"
#include "support/scoped_global.h"

namespace tintwell {
namespace {

using test::TFakePlatformServices;

constexpr std::string_view kRoot = "\\Software\\zorVIK\\Quelm";

// Known date formats to start from; the process's own come back when the test ends, whatever the
// overrides did to them.
TFormatSettings DottedDates() {
    TFormatSettings plain;
    plain.DateSeparator = '.';
    plain.ShortDateFormat = "dd.mm.yyyy";
    return plain;
}

class SettingsStore : public ::testing::Test {
protected:
    // An open store as start-up leaves it.
    TSettingsStore& Opened() {
        FStore.SetVendorName("zorVIK");
        FStore.OpenSettings();
        return FStore;
    }
    test::TScopedGlobal<TFormatSettings> FFormats{SetFormatSettings, DottedDates()};
    TFakePlatformServices FPlatform;
    TSettingsStore FStore{FPlatform};
};

TEST_F(SettingsStore, KeyPathsStartAtTheRoot) {
    Opened();
    EXPECT_EQ(FStore.KeyPath(""), kRoot);
    EXPECT_EQ(FStore.KeyPath("Forms\\frmColorPicker"), "\\Software\\zorVIK\\Quelm\\Forms\\frmColorPicker");
    FStore.SetApplicationName("Other");
    EXPECT_EQ(FStore.KeyPath(" a "), "\\Software\\zorVIK\\Other\\ a ") << "nothing is trimmed";
    FStore.OpenSettings();
    EXPECT_EQ(FStore.ApplicationWord(), "Quelm") << "every open sets the application word back";
}

struct VendorCase {
    const char* name;
    std::string_view text;
    std::string_view expected;
};

const VendorCase kVendorCases[] = {
    {"three_blanks", "   ", "zorVIK"},
    {"empty", "", "zorVIK"},
    {"control_characters", "\t\n\r", "zorVIK"},
    {"letter_between_blanks", " x ", " x "},
    {"plain", "ACME", "ACME"},
};

class VendorWord : public ::testing::TestWithParam<VendorCase> {};

TEST_P(VendorWord, IsTheTextUnlessNothingIsLeftOfIt) {
    TFakePlatformServices platform;
    TSettingsStore store(platform);
    store.SetVendorName(GetParam().text);
    EXPECT_TRUE(store.IsOpen()) << "a setter opens a closed store";
    EXPECT_EQ(store.VendorWord(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, VendorWord, ::testing::ValuesIn(kVendorCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SettingsStore, ClosedStoreReadsDefaultsAndWritesNothing) {
    FPlatform.Registry[std::string(kRoot) + "\\S"]["Top"] = std::int32_t{5};
    EXPECT_EQ(FStore.ReadSetting("S", "Top", std::int32_t{1}), TSettingValue(std::int32_t{1}));
    FStore.WriteSetting("S", "Left", std::int32_t{2});
    EXPECT_TRUE(FPlatform.RegistryWrites.empty());
    Opened();
    FStore.CloseSettings();
    EXPECT_FALSE(FStore.IsOpen());
    EXPECT_EQ(FStore.ReadSetting("S", "Top", std::int32_t{1}), TSettingValue(std::int32_t{1}));
}

struct RoundTripCase {
    const char* name;
    TSettingValue written;
    TFakePlatformServices::TValue stored;
    TSettingValue readBack;
};

const RoundTripCase kRoundTrips[] = {
    {"double_becomes_date_time", 1.5, std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xf8, 0x3f},
     TDateTime{1.5}},
    {"single_as_double", 0.5f, std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xe0, 0x3f}, TDateTime{0.5}},
    {"date_time", TDateTime{2.0}, std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x40}, TDateTime{2.0}},
    {"currency_as_its_amount", TCurrency{10000}, std::vector<std::uint8_t>{0x10, 0x27, 0, 0, 0, 0, 0, 0},
     TDateTime{std::bit_cast<double>(std::int64_t{10000})}},
    {"true_becomes_one", true, std::int32_t{1}, std::int32_t{1}},
    {"false_becomes_zero", false, std::int32_t{0}, std::int32_t{0}},
    {"small_integer", std::int16_t{-2}, std::int32_t{-2}, std::int32_t{-2}},
    {"negative_integer", std::int32_t{-300}, std::int32_t{-300}, std::int32_t{-300}},
    {"byte_becomes_text", std::uint8_t{3}, std::string("3"), std::string("3")},
    {"int64_as_text", std::int64_t{1} << 40, std::string("1099511627776"), std::string("1099511627776")},
    {"text", std::string("yyyy-mm-dd"), std::string("yyyy-mm-dd"), std::string("yyyy-mm-dd")},
    {"empty_as_empty_text", TSettingValue(), std::string(), std::string()},
    {"null_as_empty_text", TNull{}, std::string(), std::string()},
};

class SettingRoundTrip : public SettingsStore, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(SettingRoundTrip, StoresByTheWritingTableAndReadsByTheReadingTable) {
    const RoundTripCase& row = GetParam();
    Opened();
    FStore.WriteSetting("T", "V", row.written);
    EXPECT_EQ(FPlatform.Registry.at(std::string(kRoot) + "\\T").at("V"), row.stored);
    EXPECT_EQ(FStore.ReadSetting("T", "V", std::string("default")), row.readBack);
}

INSTANTIATE_TEST_SUITE_P(, SettingRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SettingsStore, MissingKeysValuesAndUnreadableKeysGiveTheDefault) {
    Opened();
    FPlatform.Registry[std::string(kRoot) + "\\K"]["Present"] = std::int32_t{4};
    EXPECT_EQ(FStore.ReadSetting("Nowhere", "Present", std::int32_t{9}), TSettingValue(std::int32_t{9}));
    EXPECT_EQ(FStore.ReadSetting("K", "Missing", std::int32_t{9}), TSettingValue(std::int32_t{9}));
    EXPECT_EQ(FStore.ReadSetting("K", "Present", std::int32_t{9}), TSettingValue(std::int32_t{4}));
    FPlatform.RegistryUnreadable = true;
    EXPECT_EQ(FStore.ReadSetting("K", "Present", std::int32_t{9}), TSettingValue(std::int32_t{9}));
}

TEST_F(SettingsStore, AKeyThatCannotBeMadeWritesNothingSilently) {
    Opened();
    FPlatform.RegistryUncreatable = true;
    EXPECT_NO_THROW(FStore.WriteSetting("K", "V", std::int32_t{1}));
    EXPECT_TRUE(FPlatform.RegistryWrites.empty());
}

TEST_F(SettingsStore, AFailedWriteRaises) {
    Opened();
    FPlatform.DuringRegistryWrite = [](std::string_view) { throw EPlatformError("disk full"); };
    EXPECT_THROW(FStore.WriteSetting("K", "V", std::int32_t{1}), EPlatformError);
}

// Binary data of another length than 8 is a read error, and the lock is released on the way out:
// another thread can still read.
TEST_F(SettingsStore, BinaryOfAnotherLengthRaisesAndReleasesTheLock) {
    Opened();
    FPlatform.Registry[std::string(kRoot) + "\\K"]["Short"] = std::vector<std::uint8_t>{1, 2, 3};
    try {
        FStore.ReadSetting("K", "Short", std::int32_t{0});
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Short'");
    }
    std::atomic<bool> done = false;
    std::thread reader([&] {
        FStore.ReadSetting("K", "Other", std::int32_t{0});
        done = true;
    });
    for (int i = 0; i < 500 && !done; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(done) << "the lock was still held";
    if (done) {
        reader.join();
    } else {
        reader.detach(); // stuck; the test has failed already
    }
}

// The first opening of a process runs while the store is still closed: it cannot see the overrides.
// The second one does.
TEST_F(SettingsStore, OverridesApplyFromTheOpeningThatCounts) {
    FPlatform.Registry[std::string(kRoot)]["OrvDateSeparator"] = std::string("-/");
    FPlatform.Registry[std::string(kRoot)]["OrvShortDateFormat"] = std::string("yyyy-mm-dd");
    FStore.SetVendorName("zorVIK");
    EXPECT_EQ(FormatSettings().DateSeparator, '.');
    EXPECT_EQ(FormatSettings().ShortDateFormat, "dd.mm.yyyy");
    FStore.OpenSettings();
    EXPECT_EQ(FormatSettings().DateSeparator, '-');
    EXPECT_EQ(FormatSettings().ShortDateFormat, "yyyy-mm-dd");
}

struct OverrideCase {
    const char* name;
    std::optional<TFakePlatformServices::TValue> separator;
    std::optional<TFakePlatformServices::TValue> shortFormat;
    char expectedSeparator;
    std::string_view expectedFormat;
};

const std::vector<std::uint8_t> kEightBytes{0, 0, 0, 0, 0, 0, 0xf8, 0x3f};

const OverrideCase kOverrideCases[] = {
    {"none", std::nullopt, std::nullopt, '.', "dd.mm.yyyy"},
    {"dash_then_slash", std::string("-/"), std::nullopt, '-', "dd.mm.yyyy"},
    {"empty_separator_keeps_the_locales", std::string(""), std::nullopt, '.', "dd.mm.yyyy"},
    {"empty_format_is_taken", std::nullopt, std::string(""), '.', ""},
    {"multibyte_separator_ignored", std::string("\xc2\xb7"), std::nullopt, '.', "dd.mm.yyyy"},
    {"integer_separator_ignored", std::int32_t{5}, std::nullopt, '.', "dd.mm.yyyy"},
    {"short_binary_ignored", std::vector<std::uint8_t>{1, 2, 3}, std::vector<std::uint8_t>{1}, '.',
     "dd.mm.yyyy"},
    {"date_time_format_ignored", std::nullopt, kEightBytes, '.', "dd.mm.yyyy"},
    {"bad_separator_good_format", std::vector<std::uint8_t>{1}, std::string("yy/mm/dd"), '.', "yy/mm/dd"},
};

class DateOverrides : public SettingsStore, public ::testing::WithParamInterface<OverrideCase> {};

TEST_P(DateOverrides, ApplyOnlyTextsThatFit) {
    const OverrideCase& row = GetParam();
    if (row.separator)
        FPlatform.Registry[std::string(kRoot)]["OrvDateSeparator"] = *row.separator;
    if (row.shortFormat)
        FPlatform.Registry[std::string(kRoot)]["OrvShortDateFormat"] = *row.shortFormat;
    // Through the module, as start-up does it: an override never stops start-up.
    std::optional<TSettingsModule> module;
    ASSERT_NO_THROW(module.emplace(FPlatform));
    EXPECT_TRUE(module->Store().IsOpen());
    EXPECT_EQ(FormatSettings().DateSeparator, row.expectedSeparator);
    EXPECT_EQ(FormatSettings().ShortDateFormat, row.expectedFormat);
}

INSTANTIATE_TEST_SUITE_P(, DateOverrides, ::testing::ValuesIn(kOverrideCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SettingsStore, TheModuleServesTheFreeFunctionsWhileItLives) {
    FPlatform.Registry[std::string(kRoot) + "\\S"]["V"] = std::int32_t{7};
    EXPECT_EQ(ReadSetting("S", "V", std::int32_t{0}), TSettingValue(std::int32_t{0})) << "no module yet";
    WriteSetting("S", "W", std::int32_t{1});
    EXPECT_TRUE(FPlatform.RegistryWrites.empty());
    {
        TSettingsModule module(FPlatform);
        EXPECT_EQ(module.Store().VendorWord(), "zorVIK");
        EXPECT_EQ(ReadSetting("S", "V", std::int32_t{0}), TSettingValue(std::int32_t{7}));
        WriteSetting("S", "W", std::int32_t{1});
        EXPECT_THROW(TSettingsModule second(FPlatform), std::logic_error);
    }
    EXPECT_EQ(FPlatform.RegistryWrites, std::vector<std::string>{"\\Software\\zorVIK\\Quelm\\S|W"});
    EXPECT_EQ(ReadSetting("S", "V", std::int32_t{0}), TSettingValue(std::int32_t{0})) << "closed at shutdown";
}

} // namespace
} // namespace tintwell
