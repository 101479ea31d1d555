// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The signals that end a program (SIGINT, SIGTERM, SIGHUP), taken from the very start by a
// thread of their own. They are blocked in every thread (threads started later inherit the
// mask), so that the program can end in order once it runs; until then a signal ends the
// process at once, so that a start that hangs (a lock another program holds, hardware that
// does not answer) can always be stopped. A second signal while the program is ending in
// order ends it at once too. The process-wide locks are locks on open files: the kernel gives
// them back however the process ends.
namespace app {

class CStopSignals {
public:
    // Blocks the signals and starts the thread; pszProgram prefixes the line said when the
    // start is cut short.
    explicit CStopSignals(const char* pszProgram);
    ~CStopSignals();
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

    // The start is over: from now on a signal asks the program to end in order.
    void vStarted();
    // Waits for that signal (after vStarted) and returns its number; from then on a second
    // signal ends the process at once.
    int nWait();
    // As nWait, but gives up after nMilliseconds and returns 0.
    int nWaitFor(int nMilliseconds);

    // What the program and the signal thread share.
    struct State;

private:
    // Shared with the signal thread and never freed: that thread waits for the life of the
    // process, also while the program's objects are destroyed at its end.
    State* m_pState;
};

}  // namespace app
