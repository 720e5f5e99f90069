// The per-user store file: its format read and written back, lines it does not understand kept,
// damaged and oversized files, the lock, two processes at once and a crash before the rename.
#include <gtest/gtest.h>

#include <QLockFile>
#include <QProcess>
#include <QString>
#include <chrono>
#include <filesystem>

#include "platform/user_store.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

const std::vector<std::string> kQuelm{"Software", "zorVIK", "Quelm"};
const std::vector<std::string> kPicker{"Software", "zorVIK", "Quelm", "Forms", "frmColorPicker"};

struct ReadCase {
    const char* name;
    std::string_view text;
    std::string_view value; // looked up in kQuelm
    std::optional<TStoredValue> expected;
};

using Bytes = std::vector<std::uint8_t>;

const ReadCase kReadCases[] = {
    {"text", "[Software\\zorVIK\\Quelm]\n\"A\"=\"x y\"\n", "A", TStoredValue(std::string("x y"))},
    {"escapes", "[Software\\zorVIK\\Quelm]\n\"A\"=\"\\\\ \\\" \\n\\r\\t\\x01\\x7F\"\n", "A",
     TStoredValue(std::string("\\ \" \n\r\t\x01\x7f"))},
    {"utf8_as_it_stands", "[Software\\zorVIK\\Quelm]\n\"A\"=\"\xc2\xb7\"\n", "A",
     TStoredValue(std::string("\xc2\xb7"))},
    {"negative_dword", "[Software\\zorVIK\\Quelm]\n\"Left\"=dword:-300\n", "Left",
     TStoredValue(std::int32_t{-300})},
    {"smallest_dword", "[Software\\zorVIK\\Quelm]\n\"A\"=dword:-2147483648\n", "A",
     TStoredValue(std::int32_t{-2147483647 - 1})},
    {"dword_too_large", "[Software\\zorVIK\\Quelm]\n\"A\"=dword:2147483648\n", "A", std::nullopt},
    {"dword_with_plus", "[Software\\zorVIK\\Quelm]\n\"A\"=dword:+1\n", "A", std::nullopt},
    {"dword_in_hex_not_read", "[Software\\zorVIK\\Quelm]\n\"A\"=dword:0000012c\n", "A", std::nullopt},
    {"hex", "[Software\\zorVIK\\Quelm]\n\"A\"=hex:00,ff, 3F\n", "A", TStoredValue(Bytes{0, 255, 0x3f})},
    {"hex_empty", "[Software\\zorVIK\\Quelm]\n\"A\"=hex:\n", "A", TStoredValue(Bytes{})},
    {"hex_odd_digit", "[Software\\zorVIK\\Quelm]\n\"A\"=hex:0,ff\n", "A", std::nullopt},
    {"names_without_case", "[SOFTWARE\\zorvik\\QUELM]\n\"orvdateseparator\"=\"-\"\n", "OrvDateSeparator",
     TStoredValue(std::string("-"))},
    {"unicode_names_without_case", "[Software\\zorVIK\\Quelm]\n\"\xc3\x84rger\"=\"1\"\n", "\xc3\xa4RGER",
     TStoredValue(std::string("1"))},
    {"last_line_counts",
     "[Software\\zorVIK\\Quelm]\n\"A\"=\"1\"\n[Other]\n[software\\zorvik\\quelm]\n\"a\"=\"2\"\n", "A",
     TStoredValue(std::string("2"))},
    {"crlf_lines", "[Software\\zorVIK\\Quelm]\r\n\"A\"=dword:5\r\n", "A", TStoredValue(std::int32_t{5})},
    {"blanks_around", "  [Software\\zorVIK\\Quelm]  \n  \"A\" = \"b\"  \n", "A",
     TStoredValue(std::string("b"))},
    {"leading_backslash_in_key", "[\\Software\\zorVIK\\Quelm]\n\"A\"=\"b\"\n", "A",
     TStoredValue(std::string("b"))},
    {"bad_escape_not_understood", "[Software\\zorVIK\\Quelm]\n\"A\"=\"C:\\path\"\n", "A", std::nullopt},
    {"unterminated_text", "[Software\\zorVIK\\Quelm]\n\"A\"=\"abc\n", "A", std::nullopt},
    {"text_then_rubbish", "[Software\\zorVIK\\Quelm]\n\"A\"=\"abc\" x\n", "A", std::nullopt},
    {"value_before_any_key", "\"A\"=\"b\"\n[Software\\zorVIK\\Quelm]\n", "A", std::nullopt},
    {"value_under_a_bad_key", "[Software\\zorVIK\\Quelm]\n[a\\\\b]\n\"A\"=\"b\"\n", "A", std::nullopt},
    {"other_key", "[Software\\zorVIK\\Quelm\\Forms]\n\"A\"=\"b\"\n", "A", std::nullopt},
    {"unknown_type", "[Software\\zorVIK\\Quelm]\n\"A\"=qword:5\n", "A", std::nullopt},
    {"binary_rubbish", std::string_view("\x00\xff[\x01]\n\"A\"\x00=\n", 11), "A", std::nullopt},
};

class UserStoreTextRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(UserStoreTextRead, FindsWhatTheFormatSays) {
    const TUserStoreText text(GetParam().text);
    const TStoredValue* found = text.Find(kQuelm, GetParam().value);
    if (GetParam().expected) {
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, *GetParam().expected);
    } else {
        EXPECT_EQ(found, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(, UserStoreTextRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(UserStoreText, KeysExistWithTheirDescendants) {
    const TUserStoreText text("[Software\\zorVIK\\Quelm\\Forms\\frmColorPicker]\n");
    EXPECT_TRUE(text.KeyExists(kPicker));
    EXPECT_TRUE(text.KeyExists(kQuelm));
    EXPECT_TRUE(text.KeyExists({}));
    EXPECT_TRUE(text.KeyExists({"software"}));
    EXPECT_FALSE(text.KeyExists({"Software", "zorVIK", "Quel"})) << "a prefix of a name is not a parent";
    EXPECT_FALSE(text.KeyExists({"Software", "zorVIK", "Quelm", "Forms", "frmColorPicker", "Deeper"}));
}

struct SplitCase {
    const char* name;
    std::string_view path;
    std::optional<std::vector<std::string>> expected;
};

const SplitCase kSplitCases[] = {
    {"root", "\\", std::vector<std::string>{}},
    {"empty", "", std::vector<std::string>{}},
    {"from_the_root", "\\Software\\zorVIK", std::vector<std::string>{"Software", "zorVIK"}},
    {"blanks_kept", "Software\\ x \\Quelm", std::vector<std::string>{"Software", " x ", "Quelm"}},
    {"brackets_kept", "a]b\\[c", std::vector<std::string>{"a]b", "[c"}},
    {"empty_component", "Software\\\\Quelm", std::nullopt},
    {"trailing_backslash", "Software\\", std::nullopt},
    {"control_character", "Soft\nware", std::nullopt},
};

class KeyPathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(KeyPathSplit, GivesComponentsOrNothing) {
    EXPECT_EQ(SplitKeyPath(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, KeyPathSplit, ::testing::ValuesIn(kSplitCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Hand-written lines, comments and rubbish stay as they were, in place; a value is replaced where
// it stands, a new one joins its key's block, a new key goes to the end.
TEST(UserStoreText, WritesKeepEveryOtherLineVerbatim) {
    TUserStoreText text("; my overrides\r\n"
                        "[Software\\zorVIK\\Quelm]\n"
                        "\"OrvDateSeparator\"=\"-\"   \n"
                        "this line means nothing\n"
                        "\"Top\"=dword:1\n"
                        "\n"
                        "# trailing comment");
    text.Set(kQuelm, "TOP", std::int32_t{-300});
    text.Set(kQuelm, "New", std::string("a\"b"));
    text.Set(kPicker, "Blob", Bytes{0, 0xf8, 0x3f});
    EXPECT_EQ(text.Text(), "; my overrides\r\n"
                           "[Software\\zorVIK\\Quelm]\n"
                           "\"OrvDateSeparator\"=\"-\"   \n"
                           "this line means nothing\n"
                           "\"TOP\"=dword:-300\n"
                           "\"New\"=\"a\\\"b\"\n"
                           "\n"
                           "# trailing comment\n"
                           "\n"
                           "[Software\\zorVIK\\Quelm\\Forms\\frmColorPicker]\n"
                           "\"Blob\"=hex:00,f8,3f\n");
}

// Every byte a text may hold comes back as it was written.
TEST(UserStoreText, EveryByteOfATextRoundTrips) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    TUserStoreText text;
    text.Set(kQuelm, all, all);
    const TUserStoreText again(text.Text());
    const TStoredValue* found = again.Find(kQuelm, all);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, TStoredValue(all));
    const std::string written = text.Text();
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2) << "one key line and one value line";
}

// Sets or clears an environment variable for one scope.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name))
            FOld = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentScope() {
        if (FOld)
            setenv(FName, FOld->c_str(), 1);
        else
            unsetenv(FName);
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    const char* FName;
    std::optional<std::string> FOld;
};

struct PathCase {
    const char* name;
    const char* configHome;
    std::string_view expected;
};

const PathCase kPathCases[] = {
    {"config_home", "/x/conf", "/x/conf/tintwell/settings.conf"},
    {"config_home_with_slash", "/x/conf/", "/x/conf/tintwell/settings.conf"},
    {"relative_config_home_ignored", "conf", "/home/someone/.config/tintwell/settings.conf"},
    {"empty_config_home_ignored", "", "/home/someone/.config/tintwell/settings.conf"},
    {"no_config_home", nullptr, "/home/someone/.config/tintwell/settings.conf"},
};

class DefaultStorePath : public ::testing::TestWithParam<PathCase> {};

TEST_P(DefaultStorePath, FollowsTheBaseDirectoryRules) {
    const EnvironmentScope home("HOME", "/home/someone");
    const EnvironmentScope configHome("XDG_CONFIG_HOME", GetParam().configHome);
    EXPECT_EQ(DefaultUserStorePath(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, DefaultStorePath, ::testing::ValuesIn(kPathCases),
                         [](const auto& row) { return std::string(row.param.name); });

class UserStoreFile : public ::testing::Test {
protected:
    std::string Path() const { return FDir.Path("config/tintwell/settings.conf"); }
    test::TempDir FDir;
    TUserStore FStore{Path()};
};

TEST_F(UserStoreFile, AMissingFileIsAnEmptyStoreAndTheFirstWriteMakesItsFolder) {
    EXPECT_EQ(FStore.OpenKey("\\Software\\zorVIK\\Quelm", TRegistryAccess::Read), nullptr);
    FStore.OpenKey("\\Software\\zorVIK\\Quelm", TRegistryAccess::WriteCreate)->WriteInteger("A", 1);
    const std::string text = test::ReadWholeFile(Path());
    EXPECT_EQ(text.rfind("; Tintwell settings.", 0), 0u) << "a new file says what it is";
    EXPECT_NE(text.find("[Software\\zorVIK\\Quelm]\n\"A\"=dword:1\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path() + ".lock")) << "the lock goes with the write";
}

// A damaged file: what can be read is read, the rest survives the next write byte for byte.
TEST_F(UserStoreFile, ADamagedFileKeepsItsLinesThroughAWrite) {
    const std::string rubbish("\x89PNG\r\n\x1a\n\x00\x00garbage\n", 18);
    const std::string damaged = rubbish + "[Software\\zorVIK\\Quelm]\n\"Top\"=dword:12\n\"Left\"=dword:zz\n";
    FDir.WriteText("config/tintwell/settings.conf", damaged);
    const auto reader = FStore.OpenKey("Software\\zorVIK\\Quelm", TRegistryAccess::Read);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->ReadInteger("Top"), 12);
    EXPECT_FALSE(reader->ValueExists("Left"));
    FStore.OpenKey("Software\\zorVIK\\Quelm", TRegistryAccess::WriteCreate)->WriteInteger("Left", 5);
    const std::string after = test::ReadWholeFile(Path());
    EXPECT_EQ(after,
              rubbish + "[Software\\zorVIK\\Quelm]\n\"Top\"=dword:12\n\"Left\"=dword:5\n\"Left\"=dword:zz\n")
        << "the new line follows the key's last value; the line it could not read stays";
}

TEST_F(UserStoreFile, FilesLargerThan16MiBAreRefusedAndLeftAlone) {
    const std::string big(16 * 1024 * 1024 + 1, ';');
    FDir.WriteText("config/tintwell/settings.conf", big);
    try {
        FStore.OpenKey("Software", TRegistryAccess::Read);
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message(), "The settings file \"" + Path() + "\" is larger than 16 MiB");
    }
    EXPECT_THROW(FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 1),
                 EPlatformError);
    EXPECT_EQ(std::filesystem::file_size(Path()), big.size());
}

TEST_F(UserStoreFile, AFileThatCannotBeReadRaisesOnReadAndWrite) {
    std::filesystem::create_directories(Path()); // a folder where the file should be
    EXPECT_THROW(FStore.OpenKey("Software", TRegistryAccess::Read), EPlatformError);
    EXPECT_THROW(FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 1),
                 EPlatformError);
}

TEST_F(UserStoreFile, KeysWithEmptyOrControlNamesCannotBeOpened) {
    EXPECT_EQ(FStore.OpenKey("Software\\\\Quelm", TRegistryAccess::WriteCreate), nullptr);
    EXPECT_EQ(FStore.OpenKey("Soft\x01ware", TRegistryAccess::Read), nullptr);
}

// A reader sees the file as it was when the key was opened; a writer's key reads afresh.
TEST_F(UserStoreFile, ReadKeysAreSnapshotsAndWriteKeysReadAfresh) {
    const auto writer = FStore.OpenKey("Software", TRegistryAccess::WriteCreate);
    writer->WriteText("A", "1");
    const auto reader = FStore.OpenKey("Software", TRegistryAccess::Read);
    writer->WriteText("A", "2");
    EXPECT_EQ(reader->ReadText("A"), "1");
    EXPECT_EQ(writer->ReadText("A"), "2");
    EXPECT_EQ(TUserStore(Path()).OpenKey("software", TRegistryAccess::Read)->ReadText("a"), "2");
}

// A living holder of the lock is waited for, within a bound; then the write fails and the file is
// as it was.
TEST_F(UserStoreFile, ALockHeldByALivingProcessEndsTheWriteInBoundedTime) {
    FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 1);
    const std::string before = test::ReadWholeFile(Path());
    QLockFile holder(QString::fromStdString(Path() + ".lock"));
    ASSERT_TRUE(holder.tryLock(0));
    const auto started = std::chrono::steady_clock::now();
    try {
        FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 2);
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message(), "The settings file \"" + Path() + "\" is locked by another program");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << "the wait is bounded";
    EXPECT_EQ(test::ReadWholeFile(Path()), before);
}

int RunWriter(const std::vector<QString>& arguments) {
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(TINTWELL_STORE_WRITER, QStringList(arguments.begin(), arguments.end()));
    if (!writer.waitForFinished(120000))
        return -1;
    return writer.exitStatus() == QProcess::NormalExit ? writer.exitCode() : -1;
}

// Two processes, 200 values each, at the same time: every value is there afterwards.
TEST_F(UserStoreFile, TwoProcessesWritingAtOnceLoseNothing) {
    const QString path = QString::fromStdString(Path());
    QProcess first;
    QProcess second;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(TINTWELL_STORE_WRITER, {path, "a", "200"});
    second.start(TINTWELL_STORE_WRITER, {path, "b", "200"});
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    const auto key = FStore.OpenKey("Software\\zorVIK\\Quelm\\Race", TRegistryAccess::Read);
    ASSERT_NE(key, nullptr);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(key->ReadInteger("a" + std::to_string(i)), i);
        EXPECT_EQ(key->ReadInteger("b" + std::to_string(i)), i);
    }
}

// A writer that dies after writing its new text and before the rename: the old file is whole, and
// the lock it left behind does not stop the next writer.
TEST_F(UserStoreFile, ACrashBeforeTheRenameLeavesTheOldFileWhole) {
    FStore.OpenKey("Software\\zorVIK\\Quelm\\Race", TRegistryAccess::WriteCreate)->WriteInteger("kept", 7);
    const std::string before = test::ReadWholeFile(Path());
    EXPECT_EQ(RunWriter({QString::fromStdString(Path()), "lost", "1", "--crash-before-replace"}), 3);
    EXPECT_EQ(test::ReadWholeFile(Path()), before);
    EXPECT_TRUE(std::filesystem::exists(Path() + ".lock")) << "the dead writer's lock is still there";
    const auto started = std::chrono::steady_clock::now();
    FStore.OpenKey("Software\\zorVIK\\Quelm\\Race", TRegistryAccess::WriteCreate)->WriteInteger("next", 8);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5))
        << "a dead owner's lock is stale";
    const auto key = FStore.OpenKey("Software\\zorVIK\\Quelm\\Race", TRegistryAccess::Read);
    EXPECT_EQ(key->ReadInteger("kept"), 7);
    EXPECT_EQ(key->ReadInteger("next"), 8);
    EXPECT_FALSE(key->ValueExists("lost0"));
}

} // namespace
} // namespace tintwell
