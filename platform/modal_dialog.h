#pragma once

#include <QDialog>
#include <QSize>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "res/dialog_template.h"

namespace lw {

// Horizontal and vertical dialog base units of a font, as Windows computes them: the average
// width of "A".."Z" "a".."z" ((width / 26 + 1) / 2) and the font's height.
QSize dialogBaseUnits(const QFont& font);
// Dialog units to pixels: x * bx / 4, y * by / 8, each edge rounded to the nearest pixel as
// Windows does, so that controls that touch in dialog units also touch on screen.
QRect dialogUnitsToPixels(const QRect& dialogUnits, const QSize& baseUnits);

// A modal dialog built from a dialog template: the controls are created in template order
// (the tab order), placed in dialog units converted with the dialog font's base units, and "&"
// mnemonics of labels go to the control that follows them. The template's size is the smallest
// the window gets; a template that lets it grow says how each control follows.
//
// Enter presses the push button that has the focus; with the focus on any other control it
// presses the template's default button.
//
// The run follows the classic modal-dialog life: DoModal creates the controls, calls
// OnInitDialog, runs the loop until EndDialog, then calls OnDestroy before it returns the result.
// Button 1 runs OnOK, button 2 (and Esc, the close box, Alt+F4) runs OnCancel.
class ModalDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ModalDialog(int templateId, QWidget* parent = nullptr);
    ~ModalDialog() override;

    int DoModal();

    // The control with the given id (nullptr when there is none, and for IDC_STATIC).
    QWidget* GetDlgItem(int id) const;
    // Every control, IDC_STATIC ones too, in template order.
    const std::vector<QWidget*>& controlsInTemplateOrder() const { return ordered_; }
    template <class T>
    T* item(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }

    const res::DialogTemplate& dialogTemplate() const { return template_; }
    QSize baseUnits() const { return baseUnits_; }

    void EndDialog(int result);

    // Appends a separator and an item to the window's system menu; choosing it then calls
    // OnSysCommand with its id (the system's own four low bits included). False where the window
    // system offers no menu to add to.
    bool AppendSystemMenuItem(unsigned id, const QString& text);
    // A command of the window's system menu that an appended item sent.
    virtual void OnSysCommand(unsigned id, std::intptr_t lParam);

  protected:
    // Base: ExchangeData(false). True puts the focus on the first control with a tab stop.
    virtual bool OnInitDialog();
    virtual void ExchangeData(bool fromControls);
    virtual void OnOK();      // base: ExchangeData(true), EndDialog(IDOK)
    virtual void OnCancel();  // base: EndDialog(IDCANCEL)
    virtual void OnDestroy();

    void reject() override;  // Esc and the close box
    void accept() override;
    void resizeEvent(QResizeEvent* event) override;
#ifdef _WIN32
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

  private:
    void createControls();
    void focusFirstTabStop();

    const res::DialogTemplate& template_;
    QSize baseUnits_;
    QSize templateSize_;         // pixels
    std::vector<QRect> placed_;  // each control's pixels at the template's size
    std::vector<unsigned> systemMenuItems_;
    std::map<int, QWidget*> controls_;
    std::vector<QWidget*> ordered_;
    bool created_ = false;
    bool initialising_ = false;
    // EndDialog before the loop runs (from OnInitDialog, say) ends the run as soon as it starts.
    std::optional<int> endedEarly_;
};

}  // namespace lw
