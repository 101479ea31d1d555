// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A forked child process that runs a function, and two pipes for the two to tell each other
// where they are, one character at a time. A child that ends, or a reply that does not come
// within ten seconds (or the time given), reads as the character 0, so a broken test fails
// instead of hanging.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

class CForkedChild {
public:
    // fn runs in the child, which then ends with _exit(0) (fn may end it itself).
    explicit CForkedChild(const std::function<void(CForkedChild&)>& fn)
    {
        if (pipe(m_anToChild) != 0 || pipe(m_anToParent) != 0) return;
        std::fflush(nullptr);  // nothing buffered is written twice
        m_Pid = fork();
        if (m_Pid == 0) {
            close(m_anToChild[1]);
            close(m_anToParent[0]);
            m_nRead = m_anToChild[0];
            m_nWrite = m_anToParent[1];
            fn(*this);
            _exit(0);
        }
        close(m_anToChild[0]);
        close(m_anToParent[1]);
        m_nRead = m_anToParent[0];
        m_nWrite = m_anToChild[1];
    }
    ~CForkedChild()
    {
        if (m_Pid > 0) vKill();
        if (m_nRead >= 0) close(m_nRead);
        if (m_nWrite >= 0) close(m_nWrite);
    }
    CForkedChild(const CForkedChild&) = delete;
    CForkedChild& operator=(const CForkedChild&) = delete;

    bool bStarted() const { return m_Pid > 0; }
    // Either side: passes a character to the other one, or waits for the next one.
    void vSend(char c) { (void)!write(m_nWrite, &c, 1); }
    char cReceive(int nTimeoutMs = 10000)
    {
        pollfd entry{m_nRead, POLLIN, 0};
        char c = 0;
        if (poll(&entry, 1, nTimeoutMs) == 1 && read(m_nRead, &c, 1) == 1) return c;
        return 0;
    }
    // The parent: kills the child (SIGKILL) and collects it.
    void vKill()
    {
        kill(m_Pid, SIGKILL);
        waitpid(m_Pid, nullptr, 0);
        m_Pid = -1;
    }
    // The parent: the child's exit status once it ended (-1 when it did not exit).
    int nWait()
    {
        int nStatus = 0;
        const bool bExited = waitpid(m_Pid, &nStatus, 0) == m_Pid && WIFEXITED(nStatus);
        m_Pid = -1;
        return bExited ? WEXITSTATUS(nStatus) : -1;
    }

private:
    pid_t m_Pid = -1;
    int m_anToChild[2] = {-1, -1};
    int m_anToParent[2] = {-1, -1};
    int m_nRead = -1, m_nWrite = -1;
};
