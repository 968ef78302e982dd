#pragma once

#include <cstdint>
#include <string>

#include "platform/modal_dialog.h"

namespace lw {

inline constexpr int IDC_DIRECTORY = 1000;
inline constexpr int IDC_RECURSE = 1001;
inline constexpr int IDC_BROWSE = 1002;

// The Add Directory dialog.
class CdialogAddDir : public ModalDialog {
  public:
    explicit CdialogAddDir(ModalDialog* parent = nullptr);

    std::int32_t m_recurse = 1;
    std::string m_directory;

    void ExchangeData(bool fromControls) override;
    void Browse();

  protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;
    void OnCommand(int id) override;
};

}  // namespace lw
