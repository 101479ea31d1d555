// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One command of pendulon-cli. Each command adds itself (with its options) to the parser; the
// one the user chose runs with the global options and gives the exit status.
#include <memory>
#include <string>
#include <vector>

#include "cli/Session.h"

namespace CLI {
class App;
}

namespace cli {

class CCommand {
public:
    virtual ~CCommand() = default;
    virtual void vAdd(CLI::App& app) = 0;
    // True when the parsed command line chose this command.
    virtual bool bChosen() const = 0;
    virtual int nRun(const GlobalOptions& options) = 0;
};

// A command of several subcommands that share one record of arguments: the add function
// registers them and notes the name of the one the user chose, the run function runs it.
template <typename Arguments>
class CSubcommandGroup : public CCommand {
public:
    using PFN_ADD = void (*)(CLI::App& app, Arguments& args, std::string& strChosen);
    using PFN_RUN = int (*)(const std::string& strChosen, const Arguments& args, const GlobalOptions& options);
    CSubcommandGroup(PFN_ADD pfnAdd, PFN_RUN pfnRun) : m_pfnAdd(pfnAdd), m_pfnRun(pfnRun) {}
    void vAdd(CLI::App& app) override { m_pfnAdd(app, m_Arguments, m_strChosen); }
    bool bChosen() const override { return !m_strChosen.empty(); }
    int nRun(const GlobalOptions& options) override { return m_pfnRun(m_strChosen, m_Arguments, options); }

private:
    PFN_ADD m_pfnAdd;
    PFN_RUN m_pfnRun;
    Arguments m_Arguments;
    std::string m_strChosen;
};

// Every command, in the order --help lists them.
std::vector<std::unique_ptr<CCommand>> CreateCommands();

}  // namespace cli
