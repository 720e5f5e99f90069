// Windows that keep their placement: the order of the steps around construction and destruction,
// the restore with its edge tests, the store's six values, and a round trip through the real file.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <optional>

#include "platform/qt_platform_services.h"
#include "settings/settings_store.h"
#include "settings/zorvik_form.h"
#include "support/fake_platform_services.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

using test::TFakePlatformServices;
using TValue = TFakePlatformServices::TValue;

constexpr std::string_view kPickerKey = "\\Software\\zorVIK\\Quelm\\Forms\\frmColorPicker";
const QRect kDesigned(192, 114, 218, 348);

QRect Bounds(const TzorvikForm& form) { return {form.Left(), form.Top(), form.Width(), form.Height()}; }

// A window as a derived one is written: designed bounds and name in its constructor, handlers that
// say when they ran.
class TTestForm : public TzorvikForm {
public:
    struct TOptions {
        Qt::WindowFlags Flags = {};
        TPosition DesignedPosition = TPosition::poDesigned;
        bool FailInCreate = false;
    };

    TTestForm(TPlatformServices& platform, std::vector<std::string>& log, TOptions options)
        : TzorvikForm(platform, nullptr, options.Flags), FLog(log), FFailInCreate(options.FailInCreate) {
        Design(options.DesignedPosition);
    }
    TTestForm(TPlatformServices& platform, std::vector<std::string>& log, bool store, std::string key)
        : TzorvikForm(platform, nullptr, store, std::move(key)), FLog(log) {
        Design(TPosition::poDesigned);
    }

    void LoadPlacement() override {
        FLog.push_back("load " + Key());
        TzorvikForm::LoadPlacement();
    }
    void SavePlacement() override {
        FLog.push_back("save");
        TzorvikForm::SavePlacement();
    }

protected:
    void DoCreate() override {
        FLog.push_back("create");
        if (FFailInCreate)
            throw Exception("cannot create");
    }
    void DoDestroy() override { FLog.push_back(isVisible() ? "destroy while shown" : "destroy hidden"); }

private:
    void Design(TPosition position) {
        setObjectName("frmColorPicker");
        move(kDesigned.topLeft());
        resize(kDesigned.size());
        SetPosition(position);
    }

    std::vector<std::string>& FLog;
    bool FFailInCreate = false;
};

class ZorvikForm : public ::testing::Test {
protected:
    TFormPtr<TTestForm> Make(TTestForm::TOptions options = {}) {
        return CreateForm<TTestForm>(FPlatform, FLog, options);
    }
    void Store(const std::string& name, TValue value, std::string_view key = kPickerKey) {
        FPlatform.Registry[std::string(key)][name] = std::move(value);
    }
    TFakePlatformServices FPlatform;
    TSettingsModule FModule{FPlatform};
    std::vector<std::string> FLog;
};

TEST_F(ZorvikForm, TheWholeWindowsStepsRunInTheirOrder) {
    TFormPtr<TTestForm> form = Make();
    EXPECT_EQ(FLog, (std::vector<std::string>{"create", "load frmColorPicker"}))
        << "the creation handler first, then the restore under the window's name";
    form->show();
    FPlatform.RegistryWrites.clear();
    form.reset();
    EXPECT_EQ(FLog, (std::vector<std::string>{"create", "load frmColorPicker", "destroy hidden", "save"}));
    const std::string key(kPickerKey);
    EXPECT_EQ(FPlatform.RegistryWrites,
              (std::vector<std::string>{key + "|WindowState", key + "|Top", key + "|Left", key + "|Width",
                                        key + "|Height", key + "|Position"}));
}

TEST_F(ZorvikForm, SavesItsBoundsStateAndRuleInTheirEncodings) {
    TFormPtr<TTestForm> form = Make();
    form->SetLeft(-300);
    form.reset();
    const auto& values = FPlatform.Registry.at(std::string(kPickerKey));
    EXPECT_EQ(values.at("WindowState"), TValue(std::string("0")));
    EXPECT_EQ(values.at("Top"), TValue(std::int32_t{114}));
    EXPECT_EQ(values.at("Left"), TValue(std::int32_t{-300}));
    EXPECT_EQ(values.at("Width"), TValue(std::int32_t{218}));
    EXPECT_EQ(values.at("Height"), TValue(std::int32_t{348}));
    EXPECT_EQ(values.at("Position"), TValue(std::string("0")));
}

struct PlacementCase {
    const char* name;
    std::vector<std::pair<std::string, TValue>> stored;
    std::vector<QRect> screens; // empty: 1920 x 1080 alone
    TTestForm::TOptions options;
    QRect expected;
    TWindowState state;
    TPosition position;
};

const std::vector<std::uint8_t> k150{0, 0, 0, 0, 0, 0xc0, 0x62, 0x40}; // 150.0 as a little-endian double
const QRect kPrimary(0, 0, 1920, 1080);
constexpr TTestForm::TOptions kCentred{{}, TPosition::poScreenCenter, false};

const PlacementCase kPlacementCases[] = {
    {"nothing_stored_keeps_the_design",
     {},
     {},
     kCentred,
     kDesigned,
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"top_beyond_the_screen_comes_back",
     {{"Top", std::int32_t{5000}}, {"Height", std::int32_t{387}}},
     {},
     {},
     {192, 693, 218, 387},
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"top_at_the_screen_height_stays",
     {{"Top", std::int32_t{1080}}},
     {kPrimary, QRect(0, 1080, 1920, 1080)},
     {},
     {192, 1080, 218, 348},
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"partly_off_the_left_stays",
     {{"Left", std::int32_t{-300}}, {"Width", std::int32_t{400}}},
     {},
     {},
     {-300, 114, 400, 348},
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"on_no_screen_goes_to_the_designed_place",
     {{"Top", std::int32_t{500}}, {"Left", std::int32_t{-300}}},
     {},
     {},
     kDesigned,
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"beyond_the_primary_onto_the_second_monitor",
     {{"Left", std::int32_t{2500}}},
     {kPrimary, QRect(1920, 0, 1920, 1080)},
     {},
     {1920 - 218, 114, 218, 348},
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"maximised",
     {{"WindowState", std::string("2")}},
     {},
     {},
     kDesigned,
     TWindowState::wsMaximized,
     TPosition::poDesigned},
    {"state_not_a_number_ends_the_restore",
     {{"Top", std::int32_t{50}},
      {"Left", std::int32_t{60}},
      {"Width", std::int32_t{300}},
      {"Height", std::int32_t{400}},
      {"WindowState", std::string("x")}},
     {},
     kCentred,
     {60, 50, 300, 400},
     TWindowState::wsNormal,
     TPosition::poScreenCenter},
    {"state_out_of_range_ignored",
     {{"WindowState", std::string("7")}},
     {},
     kCentred,
     kDesigned,
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"minimised",
     {{"WindowState", std::string("1")}},
     {},
     {},
     kDesigned,
     TWindowState::wsMinimized,
     TPosition::poDesigned},
    {"minimised_tool_window_opens_normal",
     {{"WindowState", std::string("1")}},
     {},
     {Qt::Tool, TPosition::poDesigned, false},
     kDesigned,
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"no_size_ignored",
     {{"Width", std::int32_t{0}}, {"Height", std::int32_t{-5}}},
     {},
     {},
     kDesigned,
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"top_not_a_number_applies_nothing",
     {{"Top", std::string("abc")}, {"Left", std::int32_t{60}}},
     {},
     kCentred,
     kDesigned,
     TWindowState::wsNormal,
     TPosition::poScreenCenter},
    {"top_as_eight_bytes",
     {{"Top", k150}},
     {},
     {},
     {192, 150, 218, 348},
     TWindowState::wsNormal,
     TPosition::poDesigned},
    {"top_of_three_bytes_applies_nothing",
     {{"Top", std::vector<std::uint8_t>{1, 2, 3}}, {"Left", std::int32_t{60}}},
     {},
     kCentred,
     kDesigned,
     TWindowState::wsNormal,
     TPosition::poScreenCenter},
};

class ZorvikFormRestore : public ZorvikForm, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(ZorvikFormRestore, AppliesWhatIsStoredWithinTheScreens) {
    const PlacementCase& row = GetParam();
    for (const auto& [name, value] : row.stored)
        Store(name, value);
    FPlatform.Screens = row.screens;
    const TFormPtr<TTestForm> form = Make(row.options);
    EXPECT_EQ(Bounds(*form), row.expected);
    EXPECT_EQ(form->WindowState(), row.state);
    EXPECT_EQ(form->Position(), row.position);
}

INSTANTIATE_TEST_SUITE_P(, ZorvikFormRestore, ::testing::ValuesIn(kPlacementCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ZorvikForm, SaveLoadSaveGivesTheSameNumbers) {
    Store("Left", std::int32_t{-300});
    Store("Width", std::int32_t{400});
    Store("Top", std::int32_t{20});
    Make().reset();
    const auto first = FPlatform.Registry.at(std::string(kPickerKey));
    Make().reset();
    EXPECT_EQ(FPlatform.Registry.at(std::string(kPickerKey)), first);
    EXPECT_EQ(first.at("Left"), TValue(std::int32_t{-300}));
}

TEST_F(ZorvikForm, ANewKeyRestoresAtOnce) {
    const std::string other = "\\Software\\zorVIK\\Quelm\\Forms\\Other";
    Store("Top", std::int32_t{10}, other);
    Store("Left", std::int32_t{20}, other);
    Store("Width", std::int32_t{300}, other);
    Store("Height", std::int32_t{200}, other);
    const TFormPtr<TTestForm> form = Make();
    form->SetKey("Other");
    EXPECT_EQ(Bounds(*form), QRect(20, 10, 300, 200));
    form->SetKey("Nothing");
    EXPECT_EQ(Bounds(*form), QRect(20, 10, 300, 200)) << "nothing stored there: it stays";
}

TEST_F(ZorvikForm, TheSecondConstructorsSettingsAreUsed) {
    Store("Top", std::int32_t{33}, "\\Software\\zorVIK\\Quelm\\Forms\\Given");
    const TFormPtr<TTestForm> given = CreateForm<TTestForm>(FPlatform, FLog, true, "Given");
    EXPECT_EQ(given->Key(), "Given");
    EXPECT_EQ(given->Top(), 33);

    Store("Top", std::int32_t{44});
    const int opens = FPlatform.RegistryOpens;
    TFormPtr<TTestForm> silent = CreateForm<TTestForm>(FPlatform, FLog, false, "");
    EXPECT_EQ(silent->Top(), kDesigned.top());
    silent.reset();
    EXPECT_EQ(FPlatform.RegistryOpens, opens) << "neither read nor written";
}

TEST_F(ZorvikForm, AWindowThatFailsToBeMadeStoresNothing) {
    EXPECT_THROW(Make({{}, TPosition::poDesigned, true}), Exception);
    EXPECT_EQ(FLog, std::vector<std::string>{"create"});
    EXPECT_TRUE(FPlatform.RegistryWrites.empty());
}

TEST_F(ZorvikForm, DeletedByItsParentItStillStoresItsPlacement) {
    auto parent = std::make_unique<QWidget>();
    TTestForm* form = Make().release();
    form->setParent(parent.get(), form->windowFlags());
    form->SetLeft(77);
    parent.reset();
    EXPECT_EQ(FPlatform.Registry.at(std::string(kPickerKey)).at("Left"), TValue(std::int32_t{77}));
    EXPECT_EQ(std::count(FLog.begin(), FLog.end(), "save"), 0) << "the derived window was gone already";
}

struct RuleCase {
    const char* name;
    TPosition rule;
    std::vector<QRect> screens;
    QPoint expected;
};

const RuleCase kRuleCases[] = {
    {"designed", TPosition::poDesigned, {}, kDesigned.topLeft()},
    {"screen_centre", TPosition::poScreenCenter, {}, {(1920 - 218) / 2, (1080 - 348) / 2}},
    {"desktop_centre",
     TPosition::poDesktopCenter,
     {kPrimary, QRect(1920, 0, 1920, 1080)},
     {(3840 - 218) / 2, (1080 - 348) / 2}},
    {"owner_centre", TPosition::poOwnerFormCenter, {}, {100 + (400 - 218) / 2, 100 + (400 - 348) / 2}},
};

class ZorvikFormRule : public ZorvikForm, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(ZorvikFormRule, PlacesTheWindowWhenShown) {
    FPlatform.Screens = GetParam().screens;
    QWidget owner;
    owner.setGeometry(100, 100, 400, 400);
    TTestForm form(FPlatform, FLog, TTestForm::TOptions{});
    form.setParent(&owner, Qt::Window);
    form.SetPosition(GetParam().rule);
    form.show();
    EXPECT_EQ(QPoint(form.Left(), form.Top()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, ZorvikFormRule, ::testing::ValuesIn(kRuleCases),
                         [](const auto& row) { return std::string(row.param.name); });

// A frame that the window system adds is part of the stored size, and is not added again at the
// next run: the offscreen platform frames its windows with 2 pixels on each side.
TEST_F(ZorvikForm, AFramedWindowDoesNotGrowFromRunToRun) {
    for (int run = 0; run < 3; ++run) {
        TFormPtr<TTestForm> form = Make();
        form->show();
        QApplication::processEvents();
        form.reset();
        EXPECT_EQ(FPlatform.Registry.at(std::string(kPickerKey)).at("Width"), TValue(std::int32_t{218 + 4}))
            << "run " << run;
        EXPECT_EQ(FPlatform.Registry.at(std::string(kPickerKey)).at("Height"), TValue(std::int32_t{348 + 4}))
            << "run " << run;
        EXPECT_EQ(FPlatform.Registry.at(std::string(kPickerKey)).at("Left"), TValue(std::int32_t{192}))
            << "run " << run;
    }
}

TEST_F(ZorvikForm, ARestoredSizeIsTheOuterOneOnceFramed) {
    Store("Width", std::int32_t{400});
    Store("Height", std::int32_t{300});
    const TFormPtr<TTestForm> framed = Make();
    framed->show();
    QApplication::processEvents();
    EXPECT_EQ(framed->size(), QSize(396, 296)) << "the client inside the offscreen platform's frame";
    EXPECT_EQ(QSize(framed->Width(), framed->Height()), QSize(400, 300));

    // Resized by the program before it shows: the new size rules, not the restored one.
    const TFormPtr<TTestForm> resized = Make();
    resized->resize(500, 250);
    EXPECT_EQ(resized->Width(), 500);
    resized->show();
    QApplication::processEvents();
    EXPECT_EQ(resized->size(), QSize(500, 250));
    EXPECT_EQ(QSize(resized->Width(), resized->Height()), QSize(504, 254));
}

// The real store: the file keeps the placement between two windows, and a negative left stays a
// signed integer in it.
TEST(ZorvikFormOnTheRealStore, KeepsItsPlacementInTheFile) {
    const test::TempDir dir;
    const std::string file = dir.Path("tintwell/settings.conf");
    TQtPlatformServices platform(file);
    const TSettingsModule module(platform);
    std::vector<std::string> log;
    {
        const TFormPtr<TTestForm> form = CreateForm<TTestForm>(platform, log, TTestForm::TOptions{});
        form->SetLeft(-300);
        form->SetTop(40);
        form->SetWidth(400);
        form->SetHeight(300);
    }
    const std::string text = test::ReadWholeFile(file);
    EXPECT_NE(text.find("[Software\\zorVIK\\Quelm\\Forms\\frmColorPicker]\n"
                        "\"WindowState\"=\"0\"\n\"Top\"=dword:40\n\"Left\"=dword:-300\n\"Width\"=dword:400\n"
                        "\"Height\"=dword:300\n\"Position\"=\"0\"\n"),
              std::string::npos)
        << text;
    const TFormPtr<TTestForm> again = CreateForm<TTestForm>(platform, log, TTestForm::TOptions{});
    EXPECT_EQ(Bounds(*again), QRect(-300, 40, 400, 300));
}

// A damaged settings file: start-up and the window go on with their defaults, and the next write
// keeps the file's other lines.
TEST(ZorvikFormOnTheRealStore, ADamagedFileGivesDefaultsAndKeepsItsLines) {
    const test::TempDir dir;
    const std::string damaged = std::string("\x00\x01\xfe garbage\n", 12) +
                                "[Software\\zorVIK\\Quelm]\n\"OrvDateSeparator\"=hex:01,02,03\n"
                                "[Software\\zorVIK\\Quelm\\Forms\\frmColorPicker]\n\"Top\"=high\n"
                                "\"Left\"=dword:12x\nmy own note\n";
    const std::string file = dir.WriteText("tintwell/settings.conf", damaged);
    TQtPlatformServices platform(file);
    std::optional<TSettingsModule> module;
    ASSERT_NO_THROW(module.emplace(platform));
    std::vector<std::string> log;
    TFormPtr<TTestForm> form = CreateForm<TTestForm>(platform, log, TTestForm::TOptions{});
    EXPECT_EQ(Bounds(*form), kDesigned) << "nothing readable was stored";
    form.reset();
    const std::string after = test::ReadWholeFile(file);
    // Every line of the damaged file is still there, in its order; the new values joined them.
    std::size_t from = 0;
    for (std::size_t begin = 0; begin < damaged.size();) {
        const std::size_t end = damaged.find('\n', begin) + 1;
        const std::string line = damaged.substr(begin, end - begin);
        const std::size_t at = after.find(line, from);
        EXPECT_NE(at, std::string::npos) << "lost or moved: " << line << "\nin:\n" << after;
        from = at == std::string::npos ? from : at + line.size();
        begin = end;
    }
    EXPECT_NE(after.find("\"Left\"=dword:192\n"), std::string::npos) << after;
}

} // namespace
} // namespace tintwell
