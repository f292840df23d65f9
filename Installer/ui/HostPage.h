// The host settings page (template IDD_HOST_PAGE): the product's connection settings (hosts,
// update hosts, web hosts) and the VistA option, as the configuration or the user's earlier
// typing left them. It works on a copy of the settings and writes them back on Next.
#pragma once

#include <string>
#include <vector>

#include "engine/Installer.h"
#include "ui/NewWizPage.h"

// The edit that shows setting |valueName| (names compared exactly): HostList, PortList,
// AutoUpdateHostName, WebHostList; 0 for a setting the page does not show.
int HostPageEditFor(const std::string& valueName);

// Which groups of the host page a product shows.
struct HostPageParts {
  bool hosts;        // the host list with its label
  bool updateHosts;  // the update host list with its label
  bool vista;        // the VistA check box
  bool webHosts;     // the web host list with its label
  bool ports;        // the port list: never shown, its value passes through unchanged
};

// The parts for product |appName|: the web hosts only for Norvane (any case); Tallyset and
// TallysetAdmin (exact) show the VistA box instead of the update hosts.
HostPageParts HostPagePartsFor(const std::string& appName);

class CHostPage : public CNewWizPage {
 public:
  // |engine| holds the settings (regValues), the VistA flag and the product's name; it must
  // outlive the page.
  explicit CHostPage(CInstaller& engine, HWND parent = nullptr);

  // Takes the text of each setting's edit into the working copy (as typed: nothing is trimmed or
  // checked), then stores the copy as the engine's regValues and marks the host settings as
  // changed; the VistA flag follows the check box. Always 0: the next page.
  int OnNextPressed() override;

 protected:
  // Takes the working copy of the settings, fills the edits (a setting named twice shows its
  // later value), hides what the product does not show and sets the VistA box from the engine.
  bool OnInitDialog() override;

 private:
  void HideUnusedParts();

  CInstaller& engine_;
  std::vector<RegValue> settings_;
};
