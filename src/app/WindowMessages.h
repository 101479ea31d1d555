// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How the windows tell each other that the clock state changed: five messages (1034 to 1038)
// carried by the application to the open tool windows that take them. The windows register
// here when they open and leave when they close; until a window system exists, the command
// line front ends and the tests register listeners.
#include <cstdint>
#include <functional>
#include <mutex>

namespace app {

enum : uint32_t {
    WM_PLL_CHANGED = 1034,        // the model or its state changed: rebuild from the clock generator
    WM_CLOCKS_REFRESH = 1035,     // redraw the measured and current clocks
    WM_SELECTION_CHANGED = 1036,  // the requested clocks changed
    WM_MEMBUF_CHANGED = 1037,     // the memory buffer was written or read
    WM_FIT_FRAME = 1038,          // fit the Clocks frame to its panel
};

// The five tool windows, in the order the messages reach them.
enum EToolWindow : int {
    TOOL_CLOCKS = 0,
    TOOL_SELECTION,
    TOOL_SETUP,
    TOOL_MEMORY_BUFFER,
    TOOL_OPTION,
    TOOL_WINDOW_COUNT
};

// Where a window was: the flags, the show command and the normal rectangle in screen
// coordinates (the minimised and maximised positions are not kept).
struct WindowPlacement {
    uint32_t dwFlags = 0;
    uint32_t dwShowCmd = 0;
    int32_t nLeft = 0;
    int32_t nTop = 0;
    int32_t nRight = 0;
    int32_t nBottom = 0;
    bool operator==(const WindowPlacement&) const = default;
};

// What a window system offers the application; absent until one is attached.
class IWindowHost {
public:
    virtual ~IWindowHost() = default;
    // The main window's placement; false when there is no main window.
    virtual bool bMainPlacement(WindowPlacement& placement) = 0;
    virtual void vSetMainPlacement(const WindowPlacement& placement) = 0;
    // The tool window's current placement; false when it is not open.
    virtual bool bToolPlacement(EToolWindow eWindow, WindowPlacement& placement) = 0;
    // Opens the tool window (or restores it when minimised), placed by pStored when given.
    virtual void vOpenToolWindow(EToolWindow eWindow, const WindowPlacement* pStored) = 0;
    // The start has built the kit: the main window is made now, hidden, so that the settings
    // can place it and open the tool windows beside it.
    virtual void vCreateMainWindow() {}
    // The start is over (also when the settings could not be read): the main window shows.
    virtual void vShowMainWindow() {}
};

using WindowListener = std::function<void(uint32_t dwMessage)>;

class CWindowMessages {
public:
    // An open tool window: the messages of its row reach pfnListener from now on. A second
    // registration replaces the first.
    void vRegister(EToolWindow eWindow, WindowListener pfnListener);
    void vUnregister(EToolWindow eWindow);
    bool bIsOpen(EToolWindow eWindow) const;

    // Sends the message to one window when it is open and takes that message. True when sent.
    bool bSend(EToolWindow eWindow, uint32_t dwMessage);
    // Sends the message to every open window that takes it, in the order of the windows;
    // codes outside 1034 to 1038 are ignored. Returns the number of windows reached.
    int NotifyWindows(uint32_t dwMessage);

    // Whether a window takes a message at all.
    static bool bTakes(EToolWindow eWindow, uint32_t dwMessage);

private:
    mutable std::mutex m_Mutex;
    WindowListener m_Listeners[TOOL_WINDOW_COUNT];
};

}  // namespace app
