#include "app/cdialog_about.h"

#include <QPushButton>

#include "platform/shell_open.h"
#include "res/dialog_template.h"

namespace lw {

CdialogAbout::CdialogAbout(QWidget* parent) : ModalDialog(res::IDD_ABOUT, parent) {
    if (auto* link = item<QPushButton>(IDC_HOME_PAGE)) {
        connect(link, &QPushButton::clicked, this, &CdialogAbout::OnHomePage);
    }
}

// Whether the desktop could open the address is not reported: the box simply stays open.
void CdialogAbout::OnHomePage() {
    shellOpen(this, kHomePage);
}

}  // namespace lw
