#pragma once

#include "platform/modal_dialog.h"

namespace lw {

inline constexpr int IDC_HOME_PAGE = 1009;
inline constexpr char kHomePage[] = "https://www.ferrowick.example/";

// The About box: icon, version, rights line, OK and the home-page link button.
class CdialogAbout : public ModalDialog {
    Q_OBJECT
  public:
    explicit CdialogAbout(QWidget* parent = nullptr);

    void OnHomePage();
};

}  // namespace lw
