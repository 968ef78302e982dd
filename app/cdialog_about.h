#pragma once

#include "platform/modal_dialog.h"

namespace lw {

inline constexpr int IDC_HOME_PAGE = 1009;
inline constexpr char kHomePage[] = "https://www.ferrowick.example/";

// The About box: icon, version, rights line, OK and the home-page link button.
class CdialogAbout : public ModalDialog {
  public:
    explicit CdialogAbout(ModalDialog* parent = nullptr);

    void OnHomePage();

  protected:
    void OnCommand(int id) override;
};

}  // namespace lw
