#include "res/dialog_template.h"

namespace lw::res {

const char* loadString(int id) {
    switch (id) {
        case IDS_ABOUT:
            return "&About Linewright...";
        default:
            return "";
    }
}

}  // namespace lw::res
