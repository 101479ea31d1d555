// SPDX-License-Identifier: GPL-2.0-or-later
// The question before a write, as a person at a terminal sees it: it names exactly what will
// be written (from which clock to which, in how many writes; the skews from and to), and an
// answer other than "y" writes nothing of it. pendulon-cli runs on a pseudo-terminal, with
// --trace listing every write it makes.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "app_test_env.h"

using apptest::CAppDirs;

namespace {

struct AskedRun {
    bool bTerminal = false;  // a pseudo-terminal could be had
    std::string strShown;    // what the terminal showed, the question and the trace among it
    int nStatus = -1;
};

// A machine without pseudo-terminals (a container without /dev/pts) cannot run these tests.
#define SKIP_WITHOUT_TERMINAL(run) \
    if (!(run).bTerminal) GTEST_SKIP() << "no pseudo-terminal can be opened here (forkpty failed)"

// Runs pendulon-cli on a terminal of its own, waits for the question and answers it.
AskedRun RunAndAnswer(const CAppDirs& dirs, const std::string& strArguments, const std::string& strAnswer)
{
    AskedRun run;
    int nMaster = -1;
    const std::string strCommand = "exec env " + dirs.strEnvironment() + PENDULON_CLI_PATH + " " + strArguments;
    const pid_t pid = forkpty(&nMaster, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", strCommand.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return run;
    run.bTerminal = true;
    bool bAnswered = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        pollfd fd{nMaster, POLLIN, 0};
        if (poll(&fd, 1, 100) > 0) {
            char ab[4096];
            const ssize_t n = read(nMaster, ab, sizeof ab);
            if (n <= 0) break;  // the program has ended and closed its terminal
            run.strShown.append(ab, size_t(n));
        }
        if (!bAnswered && run.strShown.find("Continue? [y/N] ") != std::string::npos) {
            const std::string strLine = strAnswer + "\n";
            if (write(nMaster, strLine.data(), strLine.size()) != ssize_t(strLine.size())) break;
            bAnswered = true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
    }
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    close(nMaster);
    run.nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return run;
}

TEST(CliQuestion, AWalkNamesItsClocksAndStepsAndANoWritesNothingOfIt)
{
    CAppDirs dirs;
    AskedRun run = RunAndAnswer(dirs, "--board demo --trace pll set 300 --model \"ICS 951462\"", "n");
    SKIP_WITHOUT_TERMINAL(run);
    EXPECT_EQ(run.nStatus, 2) << run.strShown;
    EXPECT_NE(run.strShown.find("The program will walk the FSB of the ICS 951462 (0x01951462) from 266.68 to 300.00 "
                                "MHz in 7 writes (6 steps of 5 MHz, then the target)."),
              std::string::npos)
        << run.strShown;
    EXPECT_NE(run.strShown.find("Aborting on user request."), std::string::npos) << run.strShown;
    // Reading the chip repaired its byte count (9 bytes sent); no image was written.
    EXPECT_NE(run.strShown.find("write smbus 0x0400 0x69 cmd 0x00 block 9:"), std::string::npos) << run.strShown;
    EXPECT_EQ(run.strShown.find("block 21:"), std::string::npos) << run.strShown;

    // "y" walks it, writing the steps the question named.
    run = RunAndAnswer(dirs, "--board demo --trace pll set 300 --model \"ICS 951462\"", "y");
    EXPECT_EQ(run.nStatus, 0) << run.strShown;
    size_t nWrites = 0;
    for (size_t n = run.strShown.find("block 21:"); n != std::string::npos; n = run.strShown.find("block 21:", n + 1))
        ++nWrites;
    EXPECT_EQ(nWrites, 7u) << run.strShown;
}

TEST(CliQuestion, TheTakeOverOfTheNForce2PLLIsAskedForBeforeTheRead)
{
    CAppDirs dirs;
    dirs.vSetBoard("nforce2-ultra400");
    AskedRun run = RunAndAnswer(dirs, "--board nforce2-ultra400 --trace pll read", "n");
    SKIP_WITHOUT_TERMINAL(run);
    EXPECT_EQ(run.nStatus, 2) << run.strShown;
    EXPECT_NE(run.strShown.find("take the nForce2 FSB PLL over: program it to the bus clock the processors measure"),
              std::string::npos)
        << run.strShown;
    EXPECT_EQ(run.strShown.find("write pci 00:00.0 0xa"), std::string::npos) << run.strShown;
}

TEST(CliQuestion, TheMemoryBuffersSkewsAreNamedFromAndTo)
{
    CAppDirs dirs;
    dirs.vSetBoard("i5000x-esb2");
    AskedRun run = RunAndAnswer(dirs, "--board i5000x-esb2 --trace membuf set --channel B --clkin 0", "n");
    SKIP_WITHOUT_TERMINAL(run);
    EXPECT_EQ(run.nStatus, 2) << run.strShown;
    EXPECT_NE(run.strShown.find("set the clock skews of memory channel B: CLKIN from "), std::string::npos)
        << run.strShown;
    EXPECT_EQ(run.strShown.find("write smbus 0x0400 0x6a"), std::string::npos) << run.strShown;
}

}  // namespace
