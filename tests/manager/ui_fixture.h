#pragma once
// A manager on a fresh emulated network: the document with the recording
// interaction, the main frame and its tree, and helpers that give servers RAS
// ports, sessions, domains and accounts.

#include "framework/qtuserinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/managerextensions.h"
#include "platform/ras/rasportrecord.h"
#include "tests/manager/corefixture.h"

#include <memory>
#include <string>
#include <vector>

namespace dm::test {

class UiFixture : public CoreFixture {
protected:
    void TearDown() override;

    // A monitored server (with its component key) holding these ports.
    void AddRasServer(const std::string& name, const std::vector<std::string>& ports, bool master = false);
    void SavePort(const std::string& server, const RasPortRecord& record);
    void StartSession(const std::string& server, const std::string& port, const std::string& user,
                      std::uint32_t start, const std::string& computer = "WKS1");
    void EndSession(const std::string& server, const std::string& port);
    // A domain of the Windows network with its controller, users and groups.
    void AddDomain(const std::string& domain, const std::string& controller,
                   const std::vector<std::pair<std::string, std::uint8_t>>& users,
                   const std::vector<std::string>& groups = {});

    // Creates the document and the frame, runs the new-document step and
    // marks the intro view as drawn.
    void OpenManager(ManagerExtensions extensions = {});
    CDMView& Tree() { return *m_frame->TreeView(); }

    std::unique_ptr<QtUserInteraction> m_qtui;
    std::unique_ptr<CDMDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace dm::test
