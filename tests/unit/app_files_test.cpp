// SPDX-License-Identifier: GPL-2.0-or-later
// The text forms of the settings file, the profiles and the dump report, how their lines are
// read, and how files are replaced.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "app/AtomicFile.h"
#include "app/ChosenModel.h"
#include "app/DumpReport.h"
#include "app/ProfileFile.h"
#include "app/SettingsFile.h"
#include "app/SettingsLines.h"
#include "app_test_env.h"

using namespace app;

namespace {

struct stat LstatOf(const std::string& strPath)
{
    struct stat st {};
    if (lstat(strPath.c_str(), &st) != 0) st.st_mode = 0;
    return st;
}

// The names in a directory that hold ".tmp-".
std::vector<std::string> TemporaryFiles(const std::string& strDir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(strDir)) {
        const std::string strName = entry.path().filename().string();
        if (strName.find(".tmp-") != std::string::npos) names.push_back(strName);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A socket bound at strPath (the socket itself is closed again; its node stays).
bool bMakeSocketNode(const std::string& strPath)
{
    const int nFd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (nFd < 0 || strPath.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, strPath.c_str(), strPath.size() + 1);
    const bool bOk = bind(nFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(nFd);
    return bOk;
}

}  // namespace

TEST(AppLines, PiecesOfLongLinesAndBothLineEnds)
{
    EXPECT_EQ(SplitLinePieces("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    // A lone CR is a character of the line.
    EXPECT_EQ(SplitLinePieces("a\rb\n"), (std::vector<std::string>{"a\rb"}));
    // 254 characters are seen at once; the line feed counts as one of them.
    const std::string str300(300, 'x');
    EXPECT_EQ(SplitLinePieces(str300 + "\n"), (std::vector<std::string>{std::string(254, 'x'), std::string(46, 'x')}));
    EXPECT_EQ(SplitLinePieces(std::string(254, 'y') + "\nz"),
              (std::vector<std::string>{std::string(254, 'y'), "", "z"}));
    EXPECT_EQ(SplitLinePieces(std::string(253, 'y') + "\nz"), (std::vector<std::string>{std::string(253, 'y'), "z"}));
    // A NUL ends what is seen of the piece.
    EXPECT_EQ(SplitLinePieces(std::string("ab\0cd\nef", 8)), (std::vector<std::string>{"ab", "ef"}));
}

TEST(AppSettings, KeysAnywhereButFormatsFromTheFirstCharacter)
{
    const std::vector<SettingsLine> lines = ParseSettings("junk\nSNAP=0\n  [Pendulon]  \n PLL=01951446\nPLL=01951462\n"
                                                          "GSB=0\nSNAP=5\nSNAP=x\nSETUPWINDOW=1 2 3 4 5 6\n"
                                                          "CLOCKSWINDOW=1 0 1 420 755 400 530\nFOO=1\n"
                                                          "MAINWINDOW=0 1 100 300 100 400\n");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].eKey, SettingsKey::PLL);
    EXPECT_EQ(lines[0].dwPLLID, 0x01951462u);
    EXPECT_EQ(lines[1].eKey, SettingsKey::GSB);
    EXPECT_EQ(lines[1].nValue, 0);
    EXPECT_EQ(lines[2].eKey, SettingsKey::SNAP);
    EXPECT_EQ(lines[2].nValue, 5);
    EXPECT_EQ(lines[3].eKey, SettingsKey::ToolWindow);
    EXPECT_EQ(lines[3].eWindow, TOOL_CLOCKS);
    EXPECT_EQ(lines[3].nValue, 1);
    EXPECT_EQ(lines[3].placement, (WindowPlacement{0, 1, 420, 400, 755, 530}));
    EXPECT_EQ(lines[4].eKey, SettingsKey::MainWindow);
    EXPECT_EQ(lines[4].placement, (WindowPlacement{0, 1, 100, 100, 300, 400}));
    // The first key a line contains decides, even when a later one would match.
    EXPECT_TRUE(ParseSettings("[Pendulon]\nSNAP=1 PLL=01951462\n").empty());
    EXPECT_TRUE(ParseSettings("PLL=01951462\n").empty());
}

TEST(AppSettings, WrittenInOrderAndReadBack)
{
    SettingsContent content;
    content.dwPLLID = 0x20831940;
    content.nGSB = 1;
    content.nSnap = 1;
    content.main = WindowPlacement{0, 1, 100, 100, 300, 400};
    content.tools[TOOL_SETUP] = {true, 0, WindowPlacement{0, 1, 420, 80, 755, 380}};
    content.tools[TOOL_CLOCKS] = {true, 1, WindowPlacement{0, 1, 420, 400, 755, 530}};
    content.tools[TOOL_OPTION] = {true, 0, WindowPlacement{2, 3, -5, -6, 7, 8}};
    const std::string strText = strFormatSettings(content);
    EXPECT_EQ(strText, "[Pendulon]\nPLL=20831940\nGSB=1\nSNAP=1\nMAINWINDOW=0 1 100 300 100 400\n"
                       "SETUPWINDOW=0 0 1 420 755 80 380\nCLOCKSWINDOW=1 0 1 420 755 400 530\n"
                       "OPTIONWINDOW=0 2 3 -5 7 -6 8\n");
    const std::vector<SettingsLine> lines = ParseSettings(strText);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[6].eWindow, TOOL_OPTION);
    EXPECT_EQ(lines[6].placement, content.tools[TOOL_OPTION].placement);
}

TEST(AppSettings, DontAskAgainIsAKeyOfItsOwn)
{
    // Written only when the question is not to be asked again; read back wherever it stands,
    // and no other key's line is taken for it.
    SettingsContent content;
    EXPECT_EQ(strFormatSettings(content), "[Pendulon]\nSNAP=1\n");
    content.nAskWrite = 0;
    const std::string strText = strFormatSettings(content);
    EXPECT_EQ(strText, "[Pendulon]\nSNAP=1\nASKWRITE=0\n");
    const std::vector<SettingsLine> lines = ParseSettings(strText + "xASKWRITE=1\nSNAP=0 ASKWRITE=1\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].eKey, SettingsKey::AskWrite);
    EXPECT_EQ(lines[1].nValue, 0);
    EXPECT_EQ(lines[2].eKey, SettingsKey::SNAP);
}

TEST(AppSettings, ChipsetAndUnspecifiedModelsAreNotWritten)
{
    SettingsContent content;
    content.dwPLLID = 0x10000040;  // nForce4: found again at every start
    content.nGSB = 0;
    content.nSnap = 0;
    EXPECT_EQ(strFormatSettings(content), "[Pendulon]\nGSB=0\nSNAP=0\n");
    content.dwPLLID = 0;
    EXPECT_EQ(strFormatSettings(content), "[Pendulon]\nGSB=0\nSNAP=0\n");
}

TEST(AppSettings, TheChosenModelReplacesTheFirstModelLineAndKeepsTheRest)
{
    // The first line the program would take as the model is replaced in place, with its own
    // line end; a line that only contains "PLL=" stays, and so does everything else.
    EXPECT_EQ(app::strWithModel("junk\r\n[Pendulon]\r\nSNAP=0\r\nXPLL=1\r\nPLL=00000000\r\nPLL=01234567\r\n", 0x01951462),
              "junk\r\n[Pendulon]\r\nSNAP=0\r\nXPLL=1\r\nPLL=01951462\r\nPLL=01234567\r\n");
    // No model line: one right after the header; a header without a line end gets one.
    EXPECT_EQ(app::strWithModel("[Pendulon]\nGSB=1\n", 0x01951462), "[Pendulon]\nPLL=01951462\nGSB=1\n");
    EXPECT_EQ(app::strWithModel("[Pendulon]", 0x01951462), "[Pendulon]\nPLL=01951462\n");
    // A model line above the header is not the program's: a header and the model go first.
    EXPECT_EQ(app::strWithModel("PLL=01234567\n", 0x01951462), "[Pendulon]\nPLL=01951462\nPLL=01234567\n");
    const std::vector<app::SettingsLine> lines = app::ParseSettings(app::strWithModel("", 0x01951462));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].dwPLLID, 0x01951462u);
}

TEST(AppProfile, DumpLinesAndTheDumpAppliedMark)
{
    std::vector<ProfileStep> steps = ParseProfile("[Pendulon Profile]\r\nPLLDUMP=02 1A 2B \r\nPLLFSB=200.00\r\n");
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].eAction, ProfileAction::WriteDump);
    EXPECT_EQ(steps[0].Bytes, (std::vector<uint8_t>{0x1A, 0x2B}));

    // An empty image writes nothing but still voids the clock lines after it.
    steps = ParseProfile("[Pendulon Profile]\nPLLFSB=210\nPLLDUMP=00 \nPLLGSB=100\n");
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].eAction, ProfileAction::ApplyFSB);
    EXPECT_FLOAT_EQ(steps[0].fClock, 210.0f);
    EXPECT_EQ(steps[1].eAction, ProfileAction::WriteDump);
    EXPECT_TRUE(steps[1].Bytes.empty());

    steps = ParseProfile("[Pendulon Profile]\nPLLMEM=400\nPLLFSB=266.67\nPLLGSB=100.00\n");
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[1].eAction, ProfileAction::ApplyGSB);
    EXPECT_FLOAT_EQ(steps[1].fClock, 100.0f);
    EXPECT_TRUE(ParseProfile("PLLDUMP=01 AA \n").empty());  // no header
}

TEST(AppProfile, DamagedLinesAreLeftOutAndDoNotVoidTheClocks)
{
    const char* apszBad[] = {
        "PLLDUMP=03 1A 2B \n",       // fewer bytes than the count
        "PLLDUMP=02 1A 2G \n",       // not hexadecimal
        "PLLDUMP=02 1A  2B \n",      // an empty piece
        "PLLDUMP=02 1A 1FF \n",      // a byte above 0xFF
        "PLLDUMP=02 1A 0002B \n",    // a piece longer than the buffer
        " PLLDUMP=02 1A 2B \n",      // the key not at the start
        "PLLDUMP=02 1A 2B\n",        // the last byte not ended by a space
    };
    for (const char* pszBad : apszBad) {
        const std::vector<ProfileStep> steps = ParseProfile(std::string("[Pendulon Profile]\n") + pszBad + "PLLFSB=205\n");
        ASSERT_EQ(steps.size(), 1u) << pszBad;
        EXPECT_EQ(steps[0].eAction, ProfileAction::ApplyFSB) << pszBad;
    }
    // Clocks a walk could never reach are refused.
    for (const char* pszClock : {"PLLFSB=nan\n", "PLLFSB=inf\n", "PLLFSB=-5\n", "PLLFSB=0\n", "PLLFSB=1e30\n",
                                 "PLLFSB=\n", " PLLFSB=200\n"})
        EXPECT_TRUE(ParseProfile(std::string("[Pendulon Profile]\n") + pszClock).empty()) << pszClock;
    // Bytes beyond the count are not used.
    const std::vector<ProfileStep> steps = ParseProfile("[Pendulon Profile]\nPLLDUMP=01 1A 2B 3C \n");
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].Bytes, (std::vector<uint8_t>{0x1A}));
}

TEST(AppProfile, LinesLeftOutAreNamedByTheirNumberInTheFile)
{
    // Line 4 is longer than the reader sees at once: its second piece is a line of its own to
    // the reader, and still line 4 of the file.
    const std::string strLong = "PLLDUMP=51 " + std::string(81 * 3, 'A') + "X";
    const std::string strText = "; saved by hand\r\n[Pendulon Profile]\r\n\r\n" + strLong +
                                "\r\nPLLDUMP=01 1A 2B \r\nPLLFSB=abc\r\n PLLGSB=100\r\nPLLMEM=400\r\nPLLFSB=200\r\n";
    const ProfileReading reading = ReadProfile(strText);
    EXPECT_TRUE(reading.bHoldsLines);
    // The steps are those ParseProfile gives.
    const std::vector<ProfileStep> steps = ParseProfile(strText);
    ASSERT_EQ(reading.Steps.size(), steps.size());
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(reading.Steps[0].Bytes, (std::vector<uint8_t>{0x1A}));
    std::vector<std::pair<size_t, bool>> named;
    for (const ProfileWarning& warning : reading.Warnings) named.emplace_back(warning.nLine, warning.bLeftOut);
    // 4 twice (both pieces), 5 used in part, 6 and 7 left out; the blank line 3, the
    // accepted PLLMEM= line and the void clock after the image are no fault.
    EXPECT_EQ(named, (std::vector<std::pair<size_t, bool>>{{4, true}, {4, true}, {5, false}, {6, true}, {7, true}}));
    ASSERT_EQ(reading.Warnings.size(), 5u);
    EXPECT_EQ(strDescribeWarning(reading.Warnings[2]),
              "line 5 (\"PLLDUMP=01 1A 2B \"): the count is 01 (1) but the line holds 2 bytes: the bytes beyond "
              "the count are not written");
    EXPECT_EQ(strDescribeWarning(reading.Warnings[3]),
              "line 6 (\"PLLFSB=abc\"): the clock is not a number; the line is left out");
    EXPECT_EQ(strDescribeWarning(ProfileWarning{9, "PLL\x01\"", "not a profile line", true}),
              "line 9 (\"PLL\\x01\\\"\"): not a profile line; the line is left out");

    EXPECT_FALSE(ReadProfile("[Pendulon Profile]\n  \n").bHoldsLines);
    EXPECT_TRUE(ReadProfile("").Warnings.empty());
    const ProfileReading headless = ReadProfile("PLLDUMP=01 AA \n");
    EXPECT_TRUE(headless.bHoldsLines);
    ASSERT_EQ(headless.Warnings.size(), 1u);
    EXPECT_EQ(headless.Warnings[0].nLine, 0u);
}

TEST(AppProfile, WrittenFromTheDriverAndReadBack)
{
    const uint8_t abImage[3] = {0x41, 0x0F, 0xC2};
    ProfileContent content{true, abImage, 3, 200.0f, 100.0f, false};
    EXPECT_EQ(strFormatProfile(content), "[Pendulon Profile]\nPLLDUMP=03 41 0F C2 \nPLLFSB=200.00\n");
    content.bGSBEnabled = true;
    EXPECT_EQ(strFormatProfile(content), "[Pendulon Profile]\nPLLDUMP=03 41 0F C2 \nPLLFSB=200.00\nPLLGSB=100.00\n");
    EXPECT_EQ(strFormatProfile(ProfileContent{}), "[Pendulon Profile]\n");
    // The longest image whose line fits the 254 characters the reader sees comes back whole.
    std::vector<uint8_t> image(81);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7);
    content = ProfileContent{true, image.data(), 81, -1.0f, -1.0f, true};
    const std::vector<ProfileStep> steps = ParseProfile(strFormatProfile(content));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].Bytes, image);
}

TEST(AppDumpReport, HeaderNumbersAndBytes)
{
    const uint8_t abImage[3] = {0x41, 0x0F, 0xC2};
    EXPECT_EQ(strDumpReport("1.0.5.3", abImage, 3), "[Pendulon 1.0.5.3]\n00 01 02 \n41 0F C2 ");
    std::vector<uint8_t> image(300, 0xAB);
    const std::string strLong = strDumpReport("0.1", image.data(), 300);
    EXPECT_NE(strLong.find("99 100 101 "), std::string::npos);
    EXPECT_NE(strLong.find("255 \n"), std::string::npos);
    EXPECT_EQ(strLong.find("256 "), std::string::npos);
    EXPECT_EQ(strDumpReport("0.1", nullptr, 5), "[Pendulon 0.1]\n\n");
}

TEST(AppAtomicFile, ReplacesWholeAndKeepsTheModeOfTheOldFile)
{
    apptest::CAppDirs dirs;
    const std::string strPath = dirs.strRoot("f.txt");
    std::string strWhy, strText;
    ASSERT_TRUE(bWriteFileAtomically(strPath, "one\n", strWhy)) << strWhy;
    chmod(strPath.c_str(), 0640);
    ASSERT_TRUE(bWriteFileAtomically(strPath, "two\n", strWhy)) << strWhy;
    ASSERT_TRUE(bReadTextFile(strPath, strText));
    EXPECT_EQ(strText, "two\n");
    struct stat st {};
    ASSERT_EQ(stat(strPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // A directory that does not exist: failure, nothing written.
    EXPECT_FALSE(bWriteFileAtomically(dirs.strRoot("none/f.txt"), "x", strWhy));
    EXPECT_FALSE(strWhy.empty());
    // Only the file itself is left in the directory.
    size_t nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dirs.strRoot(""))) nFiles += entry.is_regular_file();
    EXPECT_EQ(nFiles, 1u);
}

TEST(AppAtomicFile, NothingButARegularFileOrALinkIsReplaced)
{
    apptest::CAppDirs dirs;
    const std::string strDir = dirs.strRoot("");
    ASSERT_EQ(mkfifo(dirs.strRoot("fifo").c_str(), 0644), 0);
    ASSERT_TRUE(bMakeSocketNode(dirs.strRoot("socket")));
    ASSERT_EQ(mkdir(dirs.strRoot("directory").c_str(), 0755), 0);
    std::vector<std::pair<std::string, const char*>> cases = {
        {"fifo", "FIFO"}, {"socket", "socket"}, {"directory", "directory"}};
    // A device node (the numbers of /dev/null) can be made by root alone.
    if (geteuid() == 0) {
        ASSERT_EQ(mknod(dirs.strRoot("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        cases.emplace_back("null", "character device");
    }
    for (const auto& [strName, pszKind] : cases) {
        const std::string strPath = dirs.strRoot(strName);
        const mode_t nType = LstatOf(strPath).st_mode & S_IFMT;
        std::string strWhy;
        EXPECT_FALSE(bWriteFileAtomically(strPath, "report\n", strWhy)) << strName;
        EXPECT_NE(strWhy.find(strPath), std::string::npos) << strWhy;
        EXPECT_NE(strWhy.find(pszKind), std::string::npos) << strWhy;
        EXPECT_EQ(LstatOf(strPath).st_mode & S_IFMT, nType) << strName << " is still there as it was";
    }
    EXPECT_TRUE(TemporaryFiles(strDir).empty());
    std::string strWhy;
    EXPECT_FALSE(bWriteFileAtomically(dirs.strRoot("directory/"), "x", strWhy));
    EXPECT_NE(strWhy.find("names no file"), std::string::npos) << strWhy;
}

TEST(AppAtomicFile, ModesAreFixedForNewFilesAndNeverTakenThroughALink)
{
    apptest::CAppDirs dirs;
    std::string strWhy;
    // Whatever the umask, a new file is 0644.
    for (mode_t nUmask : {mode_t(077), mode_t(0)}) {
        const mode_t nOld = umask(nUmask);
        const std::string strPath = dirs.strRoot("new-" + std::to_string(nUmask));
        const bool bOk = bWriteFileAtomically(strPath, "x", strWhy);
        umask(nOld);
        ASSERT_TRUE(bOk) << strWhy;
        EXPECT_EQ(LstatOf(strPath).st_mode & 07777, 0644u) << "umask " << nUmask;
    }
    // A regular file keeps its permission bits, not a set-user-id bit.
    const std::string strOwn = dirs.strRoot("own");
    ASSERT_TRUE(bWriteFileAtomically(strOwn, "x", strWhy));
    ASSERT_EQ(chmod(strOwn.c_str(), 04750), 0);
    ASSERT_TRUE(bWriteFileAtomically(strOwn, "y", strWhy)) << strWhy;
    EXPECT_EQ(LstatOf(strOwn).st_mode & 07777, 0750u);

    // A link is replaced by the file: what it points to keeps its text and mode, and the new
    // file does not take that mode. A dangling link does not create its target.
    const std::string strSecret = dirs.strRoot("secret");
    std::ofstream(strSecret) << "secret";
    ASSERT_EQ(chmod(strSecret.c_str(), 0600), 0);
    ASSERT_EQ(symlink(strSecret.c_str(), dirs.strRoot("link").c_str()), 0);
    ASSERT_EQ(symlink(dirs.strRoot("nowhere").c_str(), dirs.strRoot("dangling").c_str()), 0);
    for (const char* pszLink : {"link", "dangling"}) {
        ASSERT_TRUE(bWriteFileAtomically(dirs.strRoot(pszLink), "report", strWhy)) << strWhy;
        const struct stat st = LstatOf(dirs.strRoot(pszLink));
        EXPECT_TRUE(S_ISREG(st.st_mode)) << pszLink;
        EXPECT_EQ(st.st_mode & 07777, 0644u) << pszLink;
    }
    std::string strText;
    ASSERT_TRUE(bReadTextFile(strSecret, strText));
    EXPECT_EQ(strText, "secret");
    EXPECT_EQ(LstatOf(strSecret).st_mode & 07777, 0600u);
    EXPECT_FALSE(std::filesystem::exists(dirs.strRoot("nowhere")));
}

TEST(AppAtomicFile, ReadsOnlyWholeRegularFilesAndNeverWaits)
{
    apptest::CAppDirs dirs;
    std::string strText, strWhy = "stale";
    EXPECT_FALSE(bReadTextFile(dirs.strRoot("missing"), strText, strWhy));
    EXPECT_EQ(strWhy, "") << "a missing file is not an error";

    const std::string strFile = dirs.strRoot("file");
    std::ofstream(strFile) << "0123456789";
    ASSERT_EQ(chmod(strFile.c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(dirs.strRoot("fifo").c_str(), 0644), 0);
    ASSERT_EQ(symlink(strFile.c_str(), dirs.strRoot("link").c_str()), 0);
    ASSERT_EQ(mkdir(dirs.strRoot("directory").c_str(), 0755), 0);
    {
        apptest::CFifoUnblocker unblocker(dirs.strRoot("fifo"));
        const struct {
            const char* pszName;
            size_t nLimit;
            const char* pszReason;
        } refused[] = {
            {"fifo", MAX_TEXT_FILE_BYTES, "FIFO"},
            {"link", MAX_TEXT_FILE_BYTES, "symbolic link"},
            {"directory", MAX_TEXT_FILE_BYTES, "directory"},
            {"file", 9, "more than 9 bytes"},  // not the first nine of it
        };
        for (const auto& c : refused) {
            strText = "stale";
            EXPECT_FALSE(bReadTextFile(dirs.strRoot(c.pszName), strText, strWhy, c.nLimit)) << c.pszName;
            EXPECT_NE(strWhy.find(dirs.strRoot(c.pszName)), std::string::npos) << strWhy;
            EXPECT_NE(strWhy.find(c.pszReason), std::string::npos) << strWhy;
            EXPECT_EQ(strText, "") << c.pszName;
        }
        EXPECT_EQ(unblocker.nOpened(), 0) << "the FIFO was opened and waited on";
    }
    EXPECT_TRUE(bReadTextFile(strFile, strText, strWhy, 10)) << strWhy;
    EXPECT_EQ(strText, "0123456789");
}

TEST(AppAtomicFile, AsRootOnlyFilesNoOtherUserCouldHavePlantedAreRead)
{
    apptest::CAppDirs dirs;
    ASSERT_EQ(chmod(dirs.strRoot("").c_str(), 0755), 0);
    const std::string strOpen = dirs.strRoot("open"), strForeign = dirs.strRoot("foreign");
    for (const std::string& str : {strOpen, strForeign}) {
        std::ofstream(str) << "[Pendulon]\n";
        ASSERT_EQ(chmod(str.c_str(), 0666), 0);
    }
    ASSERT_EQ(chmod(strForeign.c_str(), 0644), 0);
    std::string strText, strWhy;
    if (geteuid() != 0) {
        // An ordinary user reads a file that others may write: it is the user's own business.
        EXPECT_TRUE(bReadTextFile(strOpen, strText, strWhy)) << strWhy;
        GTEST_SKIP() << "the cases of root need root (a file of another user)";
    }
    ASSERT_EQ(chown(strForeign.c_str(), apptest::NobodyUid(), gid_t(-1)), 0);
    EXPECT_FALSE(bReadTextFile(strOpen, strText, strWhy));
    EXPECT_NE(strWhy.find(strOpen + " can be written by group or others (mode 0666)"), std::string::npos) << strWhy;
    EXPECT_FALSE(bReadTextFile(strForeign, strText, strWhy));
    EXPECT_NE(strWhy.find(strForeign + " belongs to uid " + std::to_string(apptest::NobodyUid())), std::string::npos)
        << strWhy;
    // Another user reads both as before.
    EXPECT_EQ(apptest::nRunAsNobody([&] {
                  std::string strChildText, strChildWhy;
                  return bReadTextFile(strOpen, strChildText, strChildWhy) &&
                                 bReadTextFile(strForeign, strChildText, strChildWhy)
                             ? 0
                             : 1;
              }),
              0);
}

TEST(AppAtomicFile, KilledWhileWritingLeavesTheOldOrTheNewFile)
{
    apptest::CAppDirs dirs;
    const std::string strPath = dirs.strRoot(SETTINGS_FILE_NAME);
    const std::string strOld = "[Pendulon]\n" + std::string(200000, 'o') + "\n";
    const std::string strNew = "[Pendulon]\n" + std::string(300000, 'n') + "\n";
    std::string strWhy;
    ASSERT_TRUE(bWriteFileAtomically(strPath, strOld, strWhy));
    for (int nRound = 0; nRound < 20; ++nRound) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string strChildWhy;
            for (;;) {
                bWriteFileAtomically(strPath, strNew, strChildWhy);
                bWriteFileAtomically(strPath, strOld, strChildWhy);
            }
        }
        usleep(1000 + nRound * 700);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::string strText;
        ASSERT_TRUE(bReadTextFile(strPath, strText));
        EXPECT_TRUE(strText == strOld || strText == strNew) << "round " << nRound << ": " << strText.size() << " bytes";
    }

    // The next write removes what the killed writers left, and only that: the temporary file
    // of a process that still runs may be a write in progress, and another file's are its own.
    const pid_t nDead = fork();
    ASSERT_GE(nDead, 0);
    if (nDead == 0) _exit(0);
    ASSERT_EQ(waitpid(nDead, nullptr, 0), nDead);
    const pid_t nLive = fork();
    ASSERT_GE(nLive, 0);
    if (nLive == 0) {
        pause();
        _exit(0);
    }
    const std::string strDeadTemporary = std::string(SETTINGS_FILE_NAME) + ".tmp-" + std::to_string(nDead) + "-aB3dE9";
    const std::string strLiveTemporary = std::string(SETTINGS_FILE_NAME) + ".tmp-" + std::to_string(nLive) + "-aB3dE9";
    const std::string strOtherTarget = strProfileFileName(0) + ".tmp-" + std::to_string(nDead) + "-aB3dE9";
    for (const std::string& strName : {strDeadTemporary, strLiveTemporary, strOtherTarget})
        std::ofstream(dirs.strRoot(strName)) << "half";
    ASSERT_TRUE(bWriteFileAtomically(strPath, strNew, strWhy)) << strWhy;
    kill(nLive, SIGKILL);
    waitpid(nLive, nullptr, 0);
    EXPECT_EQ(TemporaryFiles(dirs.strRoot("")),
              (std::vector<std::string>{strOtherTarget, strLiveTemporary}));
}
