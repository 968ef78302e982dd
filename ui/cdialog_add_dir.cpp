#include "ui/cdialog_add_dir.h"

#include "platform/text.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <algorithm>

#include "count/path_text.h"
#include "platform/folder_browser.h"
#include "platform/profile.h"

namespace lw {

namespace {

constexpr char kSection[] = "Settings";
constexpr char kLastDirectoryKey[] = "LastDirectory";
constexpr char kRecurseKey[] = "Recurse";

}  // namespace

CdialogAddDir::CdialogAddDir(QWidget* parent) : ModalDialog(res::IDD_ADD_DIRECTORY, parent) {}

void CdialogAddDir::ExchangeData(bool fromControls) {
    auto* recurse = item<QAbstractButton>(IDC_RECURSE);
    auto* directory = item<QLineEdit>(IDC_DIRECTORY);
    if (fromControls) {
        if (recurse != nullptr) {
            m_recurse = recurse->isChecked() ? 1 : 0;
        }
        if (directory != nullptr) {
            m_directory = toBytes(directory->text());
        }
    } else {
        // A stored value other than 0 or 1 still means "walk", so it shows ticked; it is written
        // back unchanged unless the user accepts the dialog.
        if (recurse != nullptr) {
            recurse->setChecked(m_recurse != 0);
        }
        if (directory != nullptr) {
            directory->setText(fromBytes(m_directory));
        }
    }
}

bool CdialogAddDir::OnInitDialog() {
    m_directory = Profile::GetString(kSection, kLastDirectoryKey, m_directory);
    m_recurse = Profile::GetInt(kSection, kRecurseKey, m_recurse);
    if (auto* browse = item<QAbstractButton>(IDC_BROWSE)) {
        connect(browse, &QAbstractButton::clicked, this, &CdialogAddDir::Browse,
                Qt::UniqueConnection);
    }
    nameFieldFromItsLabel();
    return ModalDialog::OnInitDialog();
}

void CdialogAddDir::nameFieldFromItsLabel() {
    // The "Directory" label comes after the field in the tab order and has no mnemonic, so it is
    // not the field's buddy; a screen reader still needs the field's name. The label is the
    // static text on the field's row, left of it.
    QWidget* field = GetDlgItem(IDC_DIRECTORY);
    if (field == nullptr || !field->accessibleName().isEmpty()) {
        return;
    }
    const auto& controls = dialogTemplate().controls;
    const auto fieldTemplate = std::find_if(controls.begin(), controls.end(),
                                            [](const auto& c) { return c.id == IDC_DIRECTORY; });
    for (const res::ControlTemplate& control : controls) {
        if (control.controlClass == res::ControlClass::Static && control.y == fieldTemplate->y &&
            control.x < fieldTemplate->x) {
            field->setAccessibleName(QString::fromUtf8(control.caption));
            return;
        }
    }
}

void CdialogAddDir::OnOK() {
    ExchangeData(true);
    m_directory = RemoveTrailingSeparators(std::move(m_directory));
    EndDialog(res::IDOK);
}

void CdialogAddDir::OnDestroy() {
    // Written after either ending: a Cancel stores what was read at opening, or the folder last
    // chosen in the browser, since the members are read from the controls only on OK.
    Profile::WriteString(kSection, kLastDirectoryKey, m_directory);
    Profile::WriteInt(kSection, kRecurseKey, m_recurse);
    ModalDialog::OnDestroy();
}

void CdialogAddDir::Browse() {
    std::optional<std::string> chosen = browseForFolder(this);
    if (!chosen) {
        return;  // the controls keep what the user typed or ticked
    }
    m_directory = std::move(*chosen);
    // The check box goes back to m_recurse as read at opening: the members have not been read
    // from the controls yet.
    ExchangeData(false);
}

}  // namespace lw
