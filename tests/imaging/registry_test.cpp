#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/resource_text.h"
#include "imaging/registry.h"

namespace tintwell {
namespace {

TEST(GraphicFormats, EightEntriesInRegistrationOrder) {
    std::vector<std::string> seen;
    for (const TGraphicFormat& format : GraphicFormats().Formats())
        seen.push_back(format.Extension + "|" + format.Description + "|" + std::string(format.Class->Name));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "wmf|Metafiles|TMetafile", "emf|Enhanced Metafiles|TMetafile", "ico|Icons|TIcon",
                        "bmp|Bitmaps|TBitmap", "tif|TIFF file|TTiffGraphic", "tiff|TIFF file|TTiffGraphic",
                        "jpeg|JPEG Image File|TJPEGImage", "jpg|JPEG Image File|TJPEGImage"}));
}

TEST(GraphicFormats, FilterHasNineRowsAllFirst) {
    const std::vector<TFileFilterRow> expected = {
        {"All (*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.ico;*.emf;*.wmf)",
         "*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.ico;*.emf;*.wmf"},
        {"JPEG Image File (*.jpg)", "*.jpg"},
        {"JPEG Image File (*.jpeg)", "*.jpeg"},
        {"TIFF file (*.tiff)", "*.tiff"},
        {"TIFF file (*.tif)", "*.tif"},
        {"Bitmaps (*.bmp)", "*.bmp"},
        {"Icons (*.ico)", "*.ico"},
        {"Enhanced Metafiles (*.emf)", "*.emf"},
        {"Metafiles (*.wmf)", "*.wmf"},
    };
    const std::vector<TFileFilterRow> rows = GraphicFormats().BuildGraphicFilter();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].Text, expected[i].Text) << "row " << i + 1;
        EXPECT_EQ(rows[i].Masks, expected[i].Masks) << "row " << i + 1;
    }
}

struct FindCase {
    const char* extension;
    const char* className; // nullptr: not registered
};
void PrintTo(const FindCase& c, std::ostream* os) { *os << "'" << c.extension << "'"; }

const FindCase kFindCases[] = {
    {"jpg", "TJPEGImage"},    {"JPG", "TJPEGImage"}, {"Jpeg", "TJPEGImage"}, {"TIF", "TTiffGraphic"},
    {"tiff", "TTiffGraphic"}, {"bmp", "TBitmap"},    {"ico", "TIcon"},       {"EMF", "TMetafile"},
    {"wmf", "TMetafile"},     {"gif", nullptr},      {"", nullptr},          {"jp", nullptr},
    {"jpgx", nullptr},        {"\xC3\xA9", nullptr},
};

class FindGraphicClassTable : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindGraphicClassTable, IgnoresCase) {
    const TGraphicClass* found = GraphicFormats().FindGraphicClass(GetParam().extension);
    if (GetParam().className == nullptr) {
        EXPECT_EQ(found, nullptr);
    } else {
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->Name, GetParam().className);
    }
}

INSTANTIATE_TEST_SUITE_P(, FindGraphicClassTable, ::testing::ValuesIn(kFindCases));

TEST(GraphicFormatRegistry, LatestRegistrationWinsAndExtensionsAreLowerCased) {
    TGraphicFormatRegistry registry;
    EXPECT_EQ(registry.FindGraphicClass("bmp"), &kBitmapClass);
    registry.RegisterGraphicFormat("BMP", "Other bitmaps", kIconClass);
    EXPECT_EQ(registry.FindGraphicClass("bmp"), &kIconClass);
    EXPECT_EQ(registry.Formats().back().Extension, "bmp");
    EXPECT_EQ(registry.BuildGraphicFilter()[1].Text, "Other bitmaps (*.bmp)");
}

TEST(GraphicFormatRegistry, BuiltInsAloneListTheirOwnMasks) {
    const TGraphicFormatRegistry registry;
    const std::vector<TFileFilterRow> rows = registry.BuildGraphicFilter();
    EXPECT_EQ(rows.front().Text, "All (*.bmp;*.ico;*.emf;*.wmf)");
    EXPECT_EQ(rows.size(), 5u);
}

// Descriptions are looked up as the formats register, so a registry made after translation was
// switched on lists them in the user's language.
TEST(GraphicFormatRegistry, TranslatesTheDescriptionsAsItRegistersThem) {
    SetResStringTranslator([](std::string_view text) {
        std::string marked = "<";
        marked.append(text).append(">");
        return marked;
    });
    struct TRestore {
        ~TRestore() { SetResStringTranslator({}); }
    } restore;
    const TGraphicFormatRegistry registry;
    std::vector<std::string> seen;
    for (const TGraphicFormat& format : registry.Formats())
        seen.push_back(format.Extension + "|" + format.Description);
    EXPECT_EQ(seen, (std::vector<std::string>{"wmf|<Metafiles>", "emf|<Enhanced Metafiles>", "ico|<Icons>",
                                              "bmp|<Bitmaps>"}));
}

} // namespace
} // namespace tintwell
