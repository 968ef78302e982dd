#include "app/cdialog_about.h"

#include "platform/shell_open.h"
#include "res/dialog_template.h"

namespace lw {

CdialogAbout::CdialogAbout(ModalDialog* parent) : ModalDialog(res::IDD_ABOUT, parent) {}

void CdialogAbout::OnCommand(int id) {
    if (id == IDC_HOME_PAGE) {
        OnHomePage();
    }
}

// Whether the desktop could open the address is not reported: the box simply stays open.
void CdialogAbout::OnHomePage() {
    shellOpen(this, kHomePage);
}

}  // namespace lw
