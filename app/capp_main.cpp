#include "app/capp_main.h"

#include "app/cdialog_about.h"
#include "count/code_page.h"
#include "platform/application.h"
#include "platform/profile.h"
#include "ui/cdialog_main.h"
#include "ui/profile_keys.h"

namespace lw {

bool CappMain::InitInstance() {
    // Every step over text in the engine uses this code page, so it is chosen before any text is
    // read: the profile, the directory list and the files alike.
    CodePage::setSystem(CodePage::fromLocale());
    prepareCommonControls();
    Profile::SetCompanyKey(kCompanyKey);

    CdialogMain dialog(nullptr, [](ModalDialog* owner) {
        CdialogAbout about(owner);
        about.DoModal();
    });
    dialog.DoModal();

    // The main dialog's modal run is the whole life of the program, however it ended.
    return false;
}

}  // namespace lw
