// The per-user store file: its format read and written back, lines it does not understand kept,
// damaged and oversized files, the lock, two processes at once and a crash before the rename.
#include <gtest/gtest.h>

#include <QLockFile>
#include <QProcess>
#include <QString>
#include <chrono>
#include <filesystem>
#include <unistd.h>

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

void StartWriter(QProcess& writer, const QStringList& arguments) {
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(TINTWELL_STORE_WRITER, arguments);
}

int RunWriter(const QStringList& arguments) {
    QProcess writer;
    StartWriter(writer, arguments);
    if (!writer.waitForFinished(120000))
        return -1;
    return writer.exitStatus() == QProcess::NormalExit ? writer.exitCode() : -1;
}

std::string LockedBy(const std::string& path, const std::string& name, qint64 pid) {
    return "The settings file \"" + path + "\" is locked by " + name + " (process " + std::to_string(pid) +
           ")";
}

// An owner that holds the lock and makes no progress (a stopped program) is waited for two
// seconds and not much more; then the write fails, naming it, and the file is as it was. Once the
// owner is gone, the lock it held is no obstacle.
TEST_F(UserStoreFile, AStoppedOwnerEndsTheWriteAfterTheBoundNamingIt) {
    FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 1);
    const std::string before = test::ReadWholeFile(Path());
    QProcess holder;
    StartWriter(holder, {QString::fromStdString(Path()), "held", "1", "--stop-before-replace"});
    ASSERT_TRUE(holder.waitForReadyRead(30000)) << "the second writer took the lock and stopped";
    const auto started = std::chrono::steady_clock::now();
    try {
        FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 2);
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message(), LockedBy(Path(), "store_writer", holder.processId()));
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::seconds(2)) << "the holder is given the whole bound";
    EXPECT_LT(waited, std::chrono::seconds(4)) << "the wait ends soon after the bound";
    EXPECT_EQ(test::ReadWholeFile(Path()), before);

    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(30000));
    FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 3);
    EXPECT_EQ(FStore.OpenKey("Software", TRegistryAccess::Read)->ReadInteger("A"), 3);
}

// A lock file that cannot be made (here a folder stands in its place) fails the write with the
// reason, at once, and leaves the file as it was.
TEST_F(UserStoreFile, ALockThatCannotBeMadeFailsTheWriteWithTheReason) {
    FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 1);
    const std::string before = test::ReadWholeFile(Path());
    std::filesystem::create_directories(Path() + ".lock");
    try {
        FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 2);
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message(), "Cannot lock the settings file \"" + Path() + "\": Is a directory");
    }
    EXPECT_EQ(test::ReadWholeFile(Path()), before);
}

// QLockFile's lock, as Qt programs and earlier Tintwells take it, excludes ours too.
TEST_F(UserStoreFile, ALockTakenWithQLockFileIsRespected) {
    QLockFile holder(QString::fromStdString(Path() + ".lock"));
    std::filesystem::create_directories(std::filesystem::path(Path()).parent_path());
    ASSERT_TRUE(holder.tryLock(0));
    try {
        FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 1);
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message(), LockedBy(Path(), "user_store_tests", ::getpid()));
    }
    EXPECT_FALSE(std::filesystem::exists(Path()));
    holder.unlock();
    FStore.OpenKey("Software", TRegistryAccess::WriteCreate)->WriteInteger("A", 1);
    EXPECT_EQ(FStore.OpenKey("Software", TRegistryAccess::Read)->ReadInteger("A"), 1);
}

// An owner that holds the lock nearly all the time for longer than the bound, letting go only
// between its writes: the waiter is not turned away while the owner makes progress.
TEST_F(UserStoreFile, AnOwnerThatMakesProgressIsWaitedForBeyondTheBound) {
    QProcess holder;
    StartWriter(holder, {QString::fromStdString(Path()), "slow", "8", "--pause-before-replace", "350"});
    ASSERT_TRUE(holder.waitForReadyRead(30000)) << "the second writer took the lock";
    EXPECT_NO_THROW(FStore.OpenKey("Software\\zorVIK\\Quelm\\Race", TRegistryAccess::WriteCreate)
                        ->WriteInteger("mine", 1));
    ASSERT_TRUE(holder.waitForFinished(60000));
    EXPECT_EQ(holder.exitCode(), 0);
    const auto key = FStore.OpenKey("Software\\zorVIK\\Quelm\\Race", TRegistryAccess::Read);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadInteger("mine"), 1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(key->ReadInteger("slow" + std::to_string(i)), i);
}

// Three processes, 200 values each, at the same time: every value is there afterwards, and no
// writer gave up.
TEST_F(UserStoreFile, ThreeProcessesWritingAtOnceLoseNothing) {
    const QString path = QString::fromStdString(Path());
    const std::string prefixes[] = {"a", "b", "c"};
    QProcess writers[3];
    for (int w = 0; w < 3; ++w)
        StartWriter(writers[w], {path, QString::fromStdString(prefixes[w]), "200"});
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(300000));
        EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer.exitCode(), 0);
    }
    const auto key = FStore.OpenKey("Software\\zorVIK\\Quelm\\Race", TRegistryAccess::Read);
    ASSERT_NE(key, nullptr);
    for (const std::string& prefix : prefixes)
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(key->ReadInteger(prefix + std::to_string(i)), i);
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
