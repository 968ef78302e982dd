#pragma once

// The Qt side of a ModalDialog: the window is a QDialog built from the template. Only the Qt
// backend and its tests look in here; ui/ and app/ see platform/modal_dialog.h alone.

#include <QDialog>
#include <QSize>
#include <QString>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/anchored_layout.h"
#include "platform/modal_dialog.h"
#include "platform/qt/directory_list_box.h"
#include "platform/qt/file_list_view.h"
#include "res/dialog_template.h"

namespace lw {

// Horizontal and vertical dialog base units of a font, as Windows computes them: the average
// width of "A".."Z" "a".."z" ((width / 26 + 1) / 2) and the font's height.
QSize dialogBaseUnits(const QFont& font);
// Dialog units to pixels as platform/anchored_layout.h converts them.
QRect dialogUnitsToPixels(const QRect& dialogUnits, const QSize& baseUnits);

// The dialog's window: the controls are created in template order (the tab order) when the
// ModalDialog is made, placed in dialog units converted with the dialog font's base units, and
// "&" mnemonics of labels go to the control that follows them. An edit field that no label names
// takes the name of the label left of it on its row. Every control event goes to the owner's hook.
//
// Qt gives no access to the menu that a window manager may show for the title bar, so the items
// appended to the "system menu" are offered in the context menu of the window's background, and
// F1 chooses the first of them.
class ModalDialog::Native : public QDialog {
  public:
    Native(ModalDialog& owner, const res::DialogTemplate& dialogTemplate, ModalDialog* parent);
    ~Native() override;

    ModalDialog& owner() const { return owner_; }
    QSize baseUnits() const { return baseUnits_; }

    // The control with the given id (nullptr when there is none, and for IDC_STATIC).
    QWidget* control(int id) const;
    template <class T>
    T* item(int id) const {
        return qobject_cast<T*>(control(id));
    }
    // Every control, IDC_STATIC ones too, in template order.
    const std::vector<QWidget*>& controlsInTemplateOrder() const { return ordered_; }

    int run();
    void end(int result);
    FileListView* fileList(int id) const;
    DirectoryListBox* directoryList(int id) const;
    void setIcon(int iconId);
    bool appendSystemMenuItem(unsigned id, const std::string& text);
    // The window system's own handling of the standard commands that every desktop has.
    void defaultSysCommand(unsigned id, std::intptr_t lParam);

    void reject() override;  // Esc and the close box
    void accept() override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void createControls();
    void nameFieldsFromTheirLabels();
    void focusFirstTabStop();

    ModalDialog& owner_;
    const res::DialogTemplate& template_;
    QSize baseUnits_;
    QSize templateSize_;                 // pixels
    std::vector<PlacedControl> placed_;  // each control at the template's size
    std::vector<std::pair<unsigned, QString>> menuItems_;
    std::map<int, QWidget*> controls_;
    std::vector<QWidget*> ordered_;
    bool initialising_ = false;
    // EndDialog before the loop runs (from OnInitDialog, say) ends the run as soon as it starts.
    std::optional<int> endedEarly_;
};

}  // namespace lw
