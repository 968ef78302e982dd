#pragma once

#include <string>
#include <vector>

#include "platform/modal_dialog.h"

namespace lw::test {

// A dialog that records the order in which its steps run. With `endInInit` it ends itself from
// its initialisation (result 7), before the window is ever shown.
class LoggingDialog final : public ModalDialog {
  public:
    explicit LoggingDialog(int templateId, bool endInInit = false)
        : ModalDialog(templateId), endInInit_(endInInit) {}
    std::vector<std::string> log;

  protected:
    bool OnInitDialog() override {
        log.push_back("init");
        const bool focusFirst = ModalDialog::OnInitDialog();
        if (endInInit_) {
            EndDialog(7);
        }
        return focusFirst;
    }
    void ExchangeData(bool fromControls) override {
        log.push_back(fromControls ? "exchange from controls" : "exchange to controls");
    }
    void OnOK() override {
        log.push_back("ok");
        ModalDialog::OnOK();
    }
    void OnCancel() override {
        log.push_back("cancel");
        ModalDialog::OnCancel();
    }
    void OnDestroy() override { log.push_back("destroy"); }

  private:
    bool endInInit_;
};

}  // namespace lw::test
